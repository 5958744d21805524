#pragma once
// Commands of the document window that convert text (entities, letter case, tags, wrapping,
// JavaScript and mail encodings) and edit the tag at the caret.
#include "core/common/Types.h"

#include <QString>
#include <functional>
#include <optional>

class TMDIForm;

void CreateConversionCommands(TMDIForm *form);

// Finds the link or image tag at pos and keeps it in the form's TagMark (the mouse handler does
// this at every click).
void MarkTagAt(TMDIForm *form, TBufferCoord pos);

// Stand-ins for the dialogs the commands ask, so that tests can answer without a user. An unset
// hook means the real dialog.
struct TConversionHooks {
  std::function<bool(QString &src, QString &attributes)> EditImage;
  std::function<bool(QString &url, QString &attributes, QString &text)> EditLink;
  std::function<std::optional<QString>()> AskMailAddress; // nothing when cancelled
  std::function<bool(const QString &title, quint32 &color)> PickColor;
  std::function<int()> MailKey; // the key of the next encoded address (128..255)
};
void SetConversionHooks(const TConversionHooks &hooks);
