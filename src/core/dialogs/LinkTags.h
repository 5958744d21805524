#pragma once
// The text side of the link, URL and image dialogs: which addresses are URLs, how a chosen file
// becomes a link relative to the document, and how the attribute texts of links and images are
// read and written. The dialogs only collect the values.
#include <QString>
#include <QStringList>

// 0 when text is no URL, else the number of its prefix: 1 "http://", 2 "ftp://", 3 "mailto:",
// 4 "news:", 5 "ldap:", 6 "telnet://", 7 "https://" (case ignored).
int IsURL(const QString &text);

// " name=\"value\"": one attribute as the dialogs write them; the value is taken as typed.
QString FormatAttribute(const QString &name, const QString &value);

// How chosen file names are written into links (the main window's link-case setting).
enum TLinkCase { lcUnchanged = 0, lcLower = 1, lcUpper = 2 };
QString ApplyLinkCase(const QString &link, int linkCase);
// fileName relative to the document folder, with "/" between folders ("../" for files beside
// or above it), and the letter case applied.
QString LinkToFile(const QString &fileName, const QString &folder, int linkCase = lcUnchanged);
// The file an address names, expanded against the document folder: the address without its
// "#" part (cut at the last "#" when lastHash, else at the first).
QString AddressFile(const QString &address, const QString &folder, bool lastHash = true);

// Link targets in the order of the target list; index 0 of the list is "<none>".
const QStringList &LinkTargets(); // "_blank", "_self", "_parent", "_top"
struct TLinkAttributes {
  QString Title;
  int Target = 0; // 0 none, else 1 + index in LinkTargets()
};
// title and target out of a link's attribute text: the value follows "name=\"" (case ignored)
// up to the next double quote; a value without its closing quote is ignored, an unknown target
// reads as none.
TLinkAttributes ParseLinkAttributes(const QString &attributes);
// title (when not empty), then target (when chosen); everything else of the old text is gone.
QString BuildLinkAttributes(const TLinkAttributes &a);

// The anchor name of a list entry such as "intro (Introduction)": the text before the first "("
// with blanks trimmed.
QString AnchorChoice(const QString &entry);

// The index of the filter row ("description|masks|...") whose masks hold the extension of
// fileName (without any "#" part, case ignored); the last row when none does.
int FilterIndexOf(const QString &filter, const QString &fileName);

// The attributes of the image dialog, in the order they are written.
enum TImageAlign { iaNone, iaLeft, iaRight, iaTop, iaMiddle, iaBottom };
struct TImageAttributes {
  QString Alt, Title, Width, Height;
  int Align = iaNone;
  int Border = 0; // -1 leaves the attribute out
  int HSpace = 0, VSpace = 0;
  QString UseMap, OnClick; // kept from the edited tag, written back unchanged
  bool operator==(const TImageAttributes &) const = default;
};
const QStringList &ImageAlignValues(); // "left" ... "bottom", index 0 is iaLeft
// Reads the attribute text that follows an image's src value. A name counts only where it is
// followed by "=" and a double-quoted value (blanks allowed around "="); values are trimmed;
// border and spacings that are no integer read 0; an unknown alignment reads as none.
TImageAttributes ParseImageAttributes(const QString &attributes);
// alt, title, width, height, align, border (when >= 0), hspace (> 0), vspace (> 0), usemap,
// onclick; texts as typed.
QString BuildImageAttributes(const TImageAttributes &a);
// "left" and "right" get some room beside the text when there is none yet.
int SpacingForAlign(int align, int hspace);

// The decoder an image file needs, chosen by its extension alone (content is never sniffed, so
// a PNG named .jpg fails as it would in a browser that trusts the name).
enum TImageFormat { ifNone, ifJpeg, ifGif, ifPng, ifWebp, ifSvg };
TImageFormat ImageFormatOf(const QString &fileName);
const char *ImageFormatName(TImageFormat f); // the reader's format name ("jpeg", "gif", ...)
// The name of the local copy of a downloaded image: "~" + program + the URL path's suffix when
// that is 1-8 letters or digits (a URL never chooses where we write).
QString DownloadFileName(const QString &folder, const QString &program, const QString &url);
