#pragma once
// Web projects: a local root folder, its publishing settings and the documents that were open
// when the user left it. Each project lives in its own project file (section "Project"); the
// settings file only lists the project files.
#include "core/common/Types.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

enum TTextChange : quint8 { tcNone, tcLower, tcUpper };
// Stored as a number; a build that does not know a value reads it as tmOff.
enum TTransferMode : quint8 { tmOff, tmDirect, tmFtp, tmSftp };

// Where a document stood when it was closed: caret, text language and date format.
struct TTextProps {
  TBufferCoord CursorPos;
  quint32 TxtLangId = 0;
  int DateFormat = 0;
  bool operator==(const TTextProps &) const = default;
};

class TTextFileInfo {
public:
  TTextFileInfo(int col, int line, int dateFormat, quint32 langId)
      : TextProps{TBufferCoord{col, line}, langId, dateFormat} {}
  explicit TTextFileInfo(const TTextProps &props) : TextProps(props) {}
  TTextProps TextProps;
};

// One document of a project: its name relative to the root (or a full path outside it).
struct TProjectFile {
  QString Name;
  TTextFileInfo Info;
};

struct TFtpProxyParams {
  QString Server;
  QString Username;
  QByteArray Password; // plain in memory, in the local 8-bit encoding (UTF-8)
  int Port = 2121;
  quint8 Mode = 0; // 0 no proxy, 1..6 the connection methods; the top bit is not part of it
  bool operator==(const TFtpProxyParams &) const = default;
};

constexpr int MaxProjectFiles = 100;
constexpr int ProjectPadLength = 64;

class TProjectInfo {
public:
  explicit TProjectInfo(const QString &pName = {}) : ProjFileName(pName) {}

  QString ProjFileName;
  QString ProjName = QStringLiteral("<new>");
  QString ProjPath; // ends with '/' once set
  QString ActiveFile;
  QString SubDirs; // comma text of folders, relative to the root
  QList<TProjectFile> FileList;
  TTextChange CaseMode = tcNone;
  quint16 LangId = 0;
  TTransferMode TransferMode = tmOff;
  QString TextTypes = QStringLiteral("htm*,htt,css,js");
  QString BinTypes = QStringLiteral("gif,jpg,png");
  QString RemotePath;
  QString Host;
  QString Username;
  QByteArray Password; // plain in memory, in the local 8-bit encoding (UTF-8)
  int Port = 21;
  int SecureMode = 0; // 0 no TLS, 1 if available, 2 explicit, 3 implicit
  bool Reload = true; // in memory only
  bool Changed = false;
  bool Passive = false;
  // SHA-256 of the server certificate the user chose to trust although it did not verify;
  // empty until then.
  QString CertFingerprint;
  // SFTP: a private key file that logs in instead of the password, its pass phrase (plain in
  // memory, enciphered in the file like the password), and the server key the user trusted
  // ("SHA256:..."; empty until the first connection).
  QString KeyFile;
  QByteArray Passphrase;
  QString HostKeyFingerprint;
  TFtpProxyParams ProxyPar;
  TSynEncoding ProjEncoding = seAnsi;
  bool UseBom = true;

  // Appends a document; returns its index, or -1 for an empty name. Sets Changed either way.
  int Add(const QString &fileName, const TTextProps &textProps);
  // Removes a document and returns where it stood (caret 1,1 and language 0 when not listed).
  TTextProps Remove(const QString &fileName);
  void SetActiveFile(const QString &fileName);
  void ClearFileList() { FileList.clear(); }

  // A file below the root as its path relative to the root, the root itself as "", any other
  // file as its full path. Either separator is accepted; the result uses "/".
  QString RelativeName(const QString &fileName) const;
  // The full path of a file-list name or ActiveFile (relative names are below the root).
  QString AbsoluteName(const QString &name) const;
  // True when the absolute fileName lies inside the root folder (or is the root).
  bool ContainsFile(const QString &fileName) const;
};

// A document tab when the user leaves a project; Props is empty for a tab whose window was never
// opened.
struct TOpenDocument {
  QString FileName;
  std::optional<TTextProps> Props;
};

// Leaving a project: remembers activeFile (empty when the active document has no file yet) and the
// documents. Each tab is put at the front of the list, so the list holds them in reverse tab order;
// a tab without a window gets caret 1,1, the project's language and date format 0.
void RememberDocuments(TProjectInfo &project, const QList<TOpenDocument> &tabs, const QString &activeFile);
// Entering a project: drops (from the last entry to the first) every document whose file is gone
// and returns how many were dropped.
int RemoveMissingDocuments(TProjectInfo &project);

// The pass phrase that enciphers the passwords in project files.
QByteArray ProjectKeyText();
QString EncryptProjectPassword(const QByteArray &password);
QByteArray DecryptProjectPassword(QStringView stored);

// Fills project from its ProjFileName; false (and nothing changed) when the file does not exist or
// cannot be read: leave such a project out rather than write over its file. index gives the
// default name ("Project03"); dictLangId is the default language. error (when given) receives the
// reader's message about a damaged file (see TUnicodeIniFile::LoadError), also when the file was
// read in part and true is returned; it is empty otherwise.
bool ReadProjectFile(int index, TProjectInfo &project, quint16 dictLangId, QString *error = nullptr);
// Writes the project file when Changed is set and then clears Changed. The file is readable by its
// owner only, since it holds the passwords. False (Changed kept) when it could not be written.
bool WriteProjectFile(TProjectInfo &project, QString *error = nullptr);

// The default project: the file "Default.prj" in projFilePath, read when it exists, named
// "default" with the root "<stdPath>/default/" (both folders are created). Changed is set.
std::unique_ptr<TProjectInfo> CreateDefaultProject(const QString &projFilePath, const QString &stdPath,
                                                   quint16 dictLangId, QString *error = nullptr);

// The file name proposed for a new project: "Projekt" + (count + 1) as two digits + ".prj".
QString ProposedProjectFileName(const QString &projFilePath, int projectCount);

// The index of the project whose file is fileName (same file after cleaning), or -1. Loading a
// listed file again selects that entry instead of listing it twice.
int FindProjectFile(const QList<TProjectInfo *> &projects, const QString &fileName);

// The project for files named on the command line: the first one whose root holds firstFile,
// else the first whose file is named "Default.prj"; -1 when none (then a default project is
// made).
int ProjectOfFile(const QList<TProjectInfo *> &projects, const QString &firstFile);

// Rules of the project dialogs, kept here so that they are checked without widgets.

// The prompt of the password dialog for a missing FTP or proxy password.
QString PasswordPrompt(bool proxy, const QString &host, int port, const QString &user);
// The connection method (0..5) the proxy dialog selects for a stored Mode; the top bit of Mode
// is not part of the method, and 0 or an unknown value selects the first one.
int ProxyMethodIndex(quint8 mode);
// The prompt for the pass phrase of an SFTP key file the project keeps none for.
QString PassphrasePrompt(const QString &keyFile);
// A port typed by the user: a whole number from minPort to maxPort, blanks around it allowed.
bool ParsePort(const QString &text, int minPort, int maxPort, int &port);

// The byte-order-mark box of the project dialog: UTF-16 always has a mark, ANSI never; for UTF-8
// the box is free. Choosing UTF-8 in the dialog clears it; opening the dialog on a UTF-8 project
// shows the project's own setting.
struct TBomBox {
  bool Checked;
  bool Enabled;
};
TBomBox BomBoxFor(TSynEncoding encoding, bool useBom, bool chosenByUser);
