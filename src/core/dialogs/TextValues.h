#pragma once
// Texts of the option and mail address dialogs.
#include <QString>
#include <QStringList>

// Items of a comma text: separated by commas or blanks; an item in double quotes may hold both
// (a doubled quote inside stands for one).
QStringList ParseCommaText(const QString &text);

// A mail address split at its first "@": the name part before it, the base address from the "@" on
// (empty when nothing follows).
struct TMailParts {
  QString Name;
  QString Base;
};
TMailParts SplitMailAddress(const QString &address);
// Name part and base address joined; a base address without its leading "@" gets one. An empty
// base address adds nothing, so an empty dialog gives an empty address.
QString ComposeMailAddress(const QString &name, const QString &base);
