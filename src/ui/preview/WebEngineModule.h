#pragma once
// The boundary between the program and its separately built web engine module. The module is
// loaded only when a page is first shown with the modern engine, so the program starts without
// the web engine's libraries (and without the graphics set-up they ask for at start-up).
// Header only and free of QObject: both sides see the same layout and no symbol crosses except
// the two C entry points below.
#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>

class QWidget;

class IWebEngineView {
public:
  virtual ~IWebEngineView() = default;
  virtual QWidget *Widget() = 0;
  virtual void Navigate(const QUrl &url) = 0;
  virtual void Back() = 0;
  virtual void Forward() = 0;
  // Loads the page again bypassing the cache and returns to the place it was scrolled to.
  virtual void Reload() = 0;
  virtual QUrl Url() = 0;
  // done is not called once the view is gone.
  virtual void RunScript(const QString &script, std::function<void(const QVariant &)> done) = 0;

  // Set by the owner.
  std::function<void(const QUrl &)> OnUrlChanged;
  std::function<void(bool)> OnLoadFinished;
  std::function<void(const QString &)> OnEngineFailed;
};

// Entry points of the module (resolved by name).
#define QM_WEBENGINE_CREATE "QmCreateWebEngineView"
#define QM_WEBENGINE_VERSION "QmWebEngineVersion"
extern "C" {
using QmCreateWebEngineViewFn = IWebEngineView *(*)(QWidget *parent);
using QmWebEngineVersionFn = const char *(*)();
}
