#pragma once
// Autosave copies left behind by a run that did not end normally: "<name>.tsv" beside a document
// (or "<name>.<n>.tsv" when "<name>.tsv" was itself open as a document), and "New<n>.tsv" for a
// document that never had a name.
#include <QList>
#include <QString>

struct TAutosaveCopy {
  QString CopyName;     // the .tsv file
  QString DocumentName; // the document it belongs to; empty for an unnamed document
  bool operator==(const TAutosaveCopy &) const = default;
};

// The name of the autosave copy number n (1 = the plain "<base>.tsv").
QString AutosaveCopyName(const QString &base, int n);
// Copies of fileName that are newer than the file, newest first.
QList<TAutosaveCopy> AutosaveCopiesOf(const QString &fileName);
// Copies in folder (not below it) worth offering: unnamed ones, and named ones newer than their
// document. Sorted by name.
QList<TAutosaveCopy> FindAutosaveCopies(const QString &folder);
