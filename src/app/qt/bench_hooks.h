// Measuring hooks of the real window, for the stall benchmark (bench/stall): a probe that logs
// every late turn of the event loop, and Download All pressed as soon as Browse and Download has
// read the card, timed. Qt loop thread only.
#pragma once

#include <functional>
#include <string>

class QObject;
class QWidget;

namespace kivo {

class TBrowseForm;
class TForm1;

// Appends "MS LATE" to |path| (MS: wall-clock milliseconds since 1970) whenever a 5 ms timer
// fires LATE >= 2 ms after it was due: the time the loop spent away from its turns.
bool StartLoopGapProbe(const std::string& path, QObject* owner);

// Once the card has been read, presses Download All and, when the batch ends, prints
// "kivo: download-all FILES files in SECONDS s" on standard error and calls |done|.
void DownloadAllWhenListed(TBrowseForm& browse, QObject* owner, std::function<void()> done);

// Once |window| has painted its first frame and handed it to the display, prints
// "first-frame US" on standard error (US: wall-clock microseconds since 1970, to compare with the
// time the program was started) and ends the program at once, saving nothing.
void ExitAfterFirstFrame(QWidget* window);

// Saves the settings as Options > IP Address > OK does, after printing "kivo: save at MS" (MS:
// wall-clock milliseconds since 1970) on standard error.
void SaveSettingsNow(TForm1& form);

}  // namespace kivo
