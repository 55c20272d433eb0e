// The application object that the main loop (app/) drives one frame at a time,
// with the window it owns; the wizard is one. The framework implements the rest.
#pragma once

#include <cstdint>

class Directory;

class BWIO {
  public:
    BWIO();
    virtual ~BWIO();
    BWIO(const BWIO&) = delete;
    BWIO& operator=(const BWIO&) = delete;

    // Draws the whole screen of the current state into the frame buffer.
    virtual void buildScreen() = 0;
    // One frame of application work; false ends the main loop.
    virtual bool frameStep() = 0;

    const char* commandLine() const;

    int openGraphics(std::int16_t width, std::int16_t height, const char* title, bool showMaximised,
                     const Directory& fontDirectory, std::int16_t minHeight, std::int16_t maxHeight,
                     std::int16_t minWidth, std::int16_t maxWidth);
    void closeGraphics();
    void setWindowTitle(const char* text);
    void pumpMessages();
};
