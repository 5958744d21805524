#pragma once
// Simple dialogs for "Edit tag" until the image and reference dialogs take over: they show the
// reference, the attribute text and (for links) the link text as they stand in the page and
// give them back as edited, so that an unchanged dialog rewrites the tag unchanged.
#include <QPoint>
#include <QString>

class QWidget;

bool EditImageTag(QWidget *parent, QPoint pos, const QString &folder, QString &src, QString &attributes);
bool EditLinkTag(QWidget *parent, QPoint pos, const QString &caption, const QString &folder, QString &url,
                 QString &attributes, QString &text);
