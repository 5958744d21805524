// Getting work back after a crash: the autosave copies a run left behind are shown against their
// files and recovered, discarded or kept for later.
#include "core/app/AutosaveCopies.h"
#include "core/app/TextDiff.h"
#include "core/common/FileNames.h"
#include "core/common/Translate.h"
#include "core/editor/TextFile.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QFile>
#include <QSet>

namespace {
// The type of an unnamed document is not kept with its copy: a page is the likely guess.
TFileTypes GuessFileType(const QString &text) {
  if (text.trimmed().startsWith(QLatin1String("<?php")))
    return ftPhp;
  return text.contains(u'<') ? ftHtml : ftText;
}
} // namespace

void THauptForm::OfferRecovery(TMDIForm *doc) {
  if (!doc || doc->Status == tsNew || FRecovering)
    return;
  for (const TAutosaveCopy &c : AutosaveCopiesOf(doc->TextName)) {
    if (IsOpenDocument(c.CopyName))
      continue; // the user has it open and decides there
    const TLoadedText copy = ::LoadTextFile(c.CopyName);
    if (!copy.Error.isEmpty())
      continue; // an unreadable copy is left alone
    const QString diff = UnifiedDiff(doc->TextBuffer->Text(), copy.Text, doc->TextName, c.CopyName);
    if (diff.isEmpty()) {
      QFile::remove(c.CopyName); // it holds nothing the file does not
      continue;
    }
    switch (TRecoverDialog::Ask(this, c.CopyName, c.DocumentName, diff)) {
    case rcRecover:
      if (doc->RecoverText(c.CopyName))
        return; // the newest copy is the document's text now; older ones stay for another time
      break;
    case rcDiscard:
      QFile::remove(c.CopyName);
      break;
    case rcLater:
      break;
    }
  }
}

void THauptForm::OfferAutosaveCopies() {
  QStringList folders{FHtmPath};
  for (TMDIForm *d : Documents())
    if (d->Status != tsNew)
      folders << FolderOf(d->TextName);
  QSet<QString> seen;
  for (const QString &folder : folders) {
    if (folder.isEmpty() || seen.contains(NormalizedPath(folder)))
      continue;
    seen.insert(NormalizedPath(folder));
    for (const TAutosaveCopy &c : FindAutosaveCopies(folder)) {
      // Copies of open documents were offered when they opened; open copies are the user's.
      if (IsOpenDocument(c.CopyName) || (!c.DocumentName.isEmpty() && IsOpenDocument(c.DocumentName)))
        continue;
      const TLoadedText copy = ::LoadTextFile(c.CopyName);
      if (!copy.Error.isEmpty())
        continue;
      QString fileText;
      if (!c.DocumentName.isEmpty()) {
        const TLoadedText file = ::LoadTextFile(c.DocumentName);
        if (!file.Error.isEmpty())
          continue;
        fileText = file.Text;
      }
      const QString diff = UnifiedDiff(
          fileText, copy.Text, c.DocumentName.isEmpty() ? _("(no file)") : c.DocumentName, c.CopyName);
      if (diff.isEmpty()) {
        QFile::remove(c.CopyName);
        continue;
      }
      const TRecoverChoice choice = TRecoverDialog::Ask(this, c.CopyName, c.DocumentName, diff);
      if (choice == rcDiscard) {
        QFile::remove(c.CopyName);
      } else if (choice == rcRecover) {
        TMDIForm *doc = nullptr;
        if (c.DocumentName.isEmpty()) {
          doc = CreateNewText(GuessFileType(copy.Text));
        } else {
          FRecovering = true;
          if (OpenTextFile(c.DocumentName))
            doc = ActiveDocument();
          FRecovering = false;
        }
        if (doc)
          doc->RecoverText(c.CopyName);
      }
    }
  }
}
