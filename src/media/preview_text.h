// The live preview's plain pieces: the player's argument string for a camera address, and the
// rule that decides from the live directory's answer whether the stream is there. Any thread.
#pragma once

#include <cstddef>
#include <string>

namespace kivo {

inline constexpr const char* kTestStreamLine = "TestStream";
// The camera's media server (after the address), its live folder and the stream in it.
inline constexpr char kMediaPort[] = ":8080";
inline constexpr char kLivePath[] = "/live/";
inline constexpr char kStreamPath[] = "/live/amba.m3u8";

// "http://ADDRESS:8080/live/amba.m3u8 --qt-minimal-view --no-qt-name-in-title --scale=2".
std::string PlayerArguments(const std::string& camera_address);

// The answer, with "TestStream" appended, must hold more than three lines: three lines of the
// camera's own.
bool StreamAnswered(std::size_t list_lines_with_test_line);

// "Stream not found [10060]".
std::string StreamNotFoundText(unsigned error);

// The status line when the player could not be started.
std::string PlayerNotStartedText(const std::string& player_path);

}  // namespace kivo
