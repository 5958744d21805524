#pragma once
// Work that can wait until a window is on the screen: run once the window has been painted for
// the first time, so that it does not delay the window's appearance.
#include <functional>

class QObject;
class QWidget;

// Runs work once window has painted itself for the first time (soon, from the event loop, when
// it is already on the screen). Nothing runs when the window or context is destroyed first.
void RunAfterShown(QWidget *window, std::function<void()> work, QObject *context = nullptr);
