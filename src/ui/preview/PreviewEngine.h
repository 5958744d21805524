#pragma once
// The two browser engines of the preview and reference windows behind one interface: the classic
// one (a text browser, always there, renders simple pages) and the modern one (a full web engine,
// made only when a page is first shown with it).
#include <QObject>
#include <QUrl>
#include <QVariant>
#include <functional>

class QWidget;

class TPreviewEngine : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;
  virtual QWidget *Widget() const = 0;
  virtual bool IsModern() const = 0;
  // Loads url; the same url again is loaded again (the file behind it may have changed).
  virtual void Navigate(const QUrl &url) = 0;
  virtual void Back() = 0;
  virtual void Forward() = 0;
  // Loads the page again from its file (bypassing any cache) and returns to the place it was
  // scrolled to.
  virtual void Reload() = 0;
  virtual QUrl Url() const = 0;
  // The text of the page as shown (for checks and tests); delivered later by the modern engine.
  virtual void PageText(const std::function<void(const QString &)> &done) = 0;
  // Runs a script in the page (modern engine only; the classic one answers an invalid value).
  virtual void RunScript(const QString &script, const std::function<void(const QVariant &)> &done) = 0;

signals:
  // The address shown after a navigation.
  void UrlChanged(const QUrl &url);
  void LoadFinished(bool ok);
  // The engine failed (it could not start or its page process ended unexpectedly).
  void EngineFailed(const QString &message);
};

// The classic engine (never fails to be made).
TPreviewEngine *CreateClassicEngine(QWidget *parent);
// The modern engine, or nullptr when the program has none or it cannot run here.
TPreviewEngine *CreateModernEngine(QWidget *parent);

// Whether the modern engine can run here, with its version text (without starting it: the
// check reads only what is installed, so start-up stays quick).
bool ModernEngineAvailable(QString *version = nullptr);
// Sets what the modern engine needs from the environment before it first starts: no sandbox for
// the superuser (the engine refuses to start otherwise), no GPU without a real display.
void PrepareModernEngineEnvironment();
