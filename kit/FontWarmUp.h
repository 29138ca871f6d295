#pragma once

#include <thread>

// Reads the system's fonts on a thread of its own while the main window is being built. Reading them
// (fontconfig's configuration, then every installed face) is the longest single step of a start, and
// nothing before the first text needs it; the font database may be read from any thread, and whoever
// needs it first waits for the reading already under way. Made right after the application object,
// gone (the thread joined) before it.
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

  private:
    std::thread reader_;
};
