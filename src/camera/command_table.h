// Every button and menu item that commands the camera, as data: the command path and how the
// parameter follows from the component's check mark or caption. Constant data plus pure
// functions; CommandFor reads the component model, so call it on the loop thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kivo {

class ComponentModel;

// Captions of the two main buttons that both the handlers and the status decoders compare.
inline constexpr char kOnCaption[] = "ON";
inline constexpr char kOffCaption[] = "OFF";
inline constexpr char kStopCaption[] = "Stop";
inline constexpr char kRecordCaption[] = "Record";
inline constexpr char kTakePhotoCaption[] = "Take Photo";

enum class ParamRule {
  kNone,         // no parameter: the URL ends after the password
  kFixed,        // always `on`
  kChecked,      // `on` when the component is checked, `off` otherwise
  kCaption,      // `on` when the caption equals `caption`, `off` otherwise
  kCaptionPair,  // `on` for `caption`, `off` for `off_caption`, nothing at all for other captions
};

// What the window does around the command beyond sending it.
enum class WindowStep {
  kNone,
  // RecordBtn: set BacPacStatusTimer's interval (1000 ms before "01", 2000 ms before "00"),
  // and after "00" set the caption to kRecordCaption and disable the button.
  kRecordInterval,
  // SSID1: ask for the new name first; send nothing on cancel; the parameter is
  // CameraNameParameter(name).
  kAskCameraName,
};

struct CommandRow {
  const char* component;
  const char* path;
  ParamRule rule = ParamRule::kNone;
  const char* on = nullptr;           // parameter when the rule's condition holds (kFixed: always)
  const char* off = nullptr;          // parameter otherwise (kCaptionPair: for `off_caption`)
  const char* caption = nullptr;      // kCaption, kCaptionPair
  const char* off_caption = nullptr;  // kCaptionPair
  WindowStep step = WindowStep::kNone;
};

struct Command {
  std::string path;
  std::string parameter;  // empty: none
  friend bool operator==(const Command&, const Command&) = default;
};

std::span<const CommandRow> CommandTable();

// The row of |component|, or nullptr when it sends no command of its own (for instance
// "1 hour or more", which opens a web page instead).
const CommandRow* FindCommand(std::string_view component);

// The parameter that |row| sends for a component in this state; "" for a command without a
// parameter; nullopt when nothing is to be sent.
std::optional<std::string> CommandParameter(const CommandRow& row, bool checked,
                                            std::string_view caption);

// Row lookup plus the component's current Checked and Caption from |model|. nullopt when the
// component has no row or its state sends nothing. Throws std::out_of_range for a row whose
// component is missing from |model|.
std::optional<Command> CommandFor(std::string_view component, const ComponentModel& model);

// The camera-name command's parameter: "09" and the name as typed, percent-encoded
// (PercentEncode), so that the camera decodes every byte of it back.
std::string CameraNameParameter(std::string_view name);

}  // namespace kivo
