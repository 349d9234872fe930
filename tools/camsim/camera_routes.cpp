#include "camera_routes.h"

#include <algorithm>

#include "command_table.h"
#include "jpeg_writer.h"
#include "live_stream.h"
#include "media_pages.h"
#include "status_records.h"

namespace kivo::camsim {
namespace {

constexpr std::string_view kServerName = "kivo-camsim";
constexpr std::string_view kRefused = "403 Forbidden: wrong password\n";
constexpr std::string_view kTextRecord =
    "<html><body>The camera is busy, try again later.</body></html>\n";

// What a hostile camera puts where the program looks for names and dates: a way out of the
// folder, control bytes and a NUL.
constexpr std::string_view kHostileDate("../../x\x01\x1b[2J\x00\x7f/..\\..:", 19);
// A first row whose ".JPG" ends a path rather than a camera file name.
constexpr std::string_view kHostileName = "../../../x/.JPG";

std::string HostilePhoto(std::string content) {
  if (content.size() >= kExifDateOffset + kHostileDate.size())
    content.replace(kExifDateOffset, kHostileDate.size(), kHostileDate);
  return content;
}

std::string ContentTypeOf(const std::string& name) {
  if (name.ends_with(".JPG") || name.ends_with(".THM")) return "image/jpeg";
  if (name.ends_with(".MP4") || name.ends_with(".LRV")) return "video/mp4";
  return "application/octet-stream";
}

}  // namespace

HttpResponse CameraRoutes::Binary(int status, std::string body) const {
  HttpResponse response = TextResponse(status, "application/octet-stream", std::move(body));
  return response;
}

HttpResponse CameraRoutes::CommandPort(const HttpRequest& request, const Fault& fault) {
  state_.Advance();
  if (request.method != "GET") {
    return TextResponse(405, "text/plain", "405 method not allowed\n");
  }
  // "/bacpac/se", "/camera/PW" ...: a group and a two-letter code.
  const std::string& path = request.path;
  const size_t slash = path.find('/', 1);
  if (path.size() < 2 || slash == std::string::npos) {
    return TextResponse(404, "text/plain", "404 not found\n");
  }
  const std::string group = path.substr(1, slash - 1);
  const std::string code = path.substr(slash + 1);
  if (group != "bacpac" && group != "camera") {
    return TextResponse(404, "text/plain", "404 not found\n");
  }
  const CommandQuery query = ParseCommandQuery(request.query);
  if (query.password != password_ || fault.mode == FaultMode::kWrongPassword) {
    // Sent with the header in one piece: a client that stops reading after an error header
    // still has the body.
    return TextResponse(403, "text/plain", std::string(kRefused));
  }
  if (code == "se") {
    std::string record;
    if (group == "bacpac") {
      const BacPacRecord r = EncodeBacPacRecord(state_);
      record.assign(r.begin(), r.end());
    } else {
      const CameraRecord r = EncodeCameraRecord(state_);
      record.assign(r.begin(), r.end());
    }
    if (fault.mode == FaultMode::kShortRecord) record.resize(group == "bacpac" ? 10 : 20);
    if (fault.mode == FaultMode::kTextRecord) {
      return TextResponse(200, "text/html", std::string(kTextRecord));
    }
    return Binary(200, std::move(record));
  }
  const CommandResult result = RunCommand(state_, group, code, query);
  // Replies: a status byte (0 done, 1 not done) and the parameter echoed.
  if (result == CommandResult::kUnknown) return Binary(410, std::string(1, '\x01'));
  std::string body(1, result == CommandResult::kDone ? '\0' : '\x01');
  if (query.has_parameter) body += query.parameter;
  return Binary(200, std::move(body));
}

HttpResponse CameraRoutes::MediaReply(int status, std::string content_type, std::string body,
                                      bool head) const {
  // The camera's clock goes in the Date header, always the second header line.
  HttpResponse response;
  response.status = status;
  response.headers.emplace_back("Server", std::string(kServerName));
  response.headers.emplace_back("Date", FormatRfc1123(state_.clock().Now()));
  response.headers.emplace_back("Content-Type", std::move(content_type));
  response.body = std::move(body);
  response.send_body = !head;
  return response;
}

HttpResponse CameraRoutes::FolderIndex(const std::string& folder, const std::string& query,
                                       bool head, bool hostile) {
  std::vector<const MediaFile*> files = state_.card().FilesIn(folder);
  if (query.find("order=D") != std::string::npos) {
    // Newest first: by capture date, and among equal dates the file written last.
    std::sort(files.begin(), files.end(), [](const MediaFile* a, const MediaFile* b) {
      const int64_t ta = ToNaiveSeconds(a->taken);
      const int64_t tb = ToNaiveSeconds(b->taken);
      return ta != tb ? ta > tb : a->sequence > b->sequence;
    });
  } else {
    std::sort(files.begin(), files.end(),
              [](const MediaFile* a, const MediaFile* b) { return a->name < b->name; });
  }
  std::vector<IndexEntry> entries;
  if (hostile) entries.push_back({std::string(kHostileName), {}, 1, std::string(kHostileDate)});
  for (const MediaFile* f : files) {
    entries.push_back({f->name, f->taken, f->Size(),
                       hostile ? std::string(kHostileDate) : std::string()});
  }
  return MediaReply(200, "text/html", Index(media_root_ + folder + "/", entries), head);
}

std::string CameraRoutes::Index(const std::string& path,
                                const std::vector<IndexEntry>& entries) const {
  switch (style_) {
    case ListingStyle::kTable: return TableIndexPage(path, entries);
    case ListingStyle::kOld: return OldIndexPage(path, entries);
    case ListingStyle::kDefault: break;
  }
  return IndexPage(path, entries);
}

HttpResponse CameraRoutes::FileReply(const MediaFile& file, const HttpRequest& request, bool head,
                                     bool hostile) const {
  HttpResponse response = MediaReply(200, ContentTypeOf(file.name), std::string(), head);
  if (hostile && file.name.ends_with(".JPG")) {
    response.body = HostilePhoto(file.content);
  } else if (file.generated_size != 0) {
    response.generated = GeneratedBody{file.content, file.seed, file.generated_size, 0,
                                       file.generated_size};
  } else {
    response.body = file.content;
  }
  response.headers.emplace_back("Accept-Ranges", "bytes");
  if (auto range = ParseByteRange(request.range, file.Size())) {
    ApplyRange(response, *range, file.Size());
  }
  return response;
}

HttpResponse CameraRoutes::MediaPort(const HttpRequest& request, const Fault& fault) {
  const bool hostile = fault.mode == FaultMode::kHostileMedia;
  state_.Advance();
  const bool head = request.method == "HEAD";
  if (request.method != "GET" && !head) {
    return MediaReply(405, "text/plain", "405 method not allowed\n", false);
  }
  const std::string& path = request.path;
  const CameraSettings& s = state_.settings();
  if (path == "/") {
    const FrontPageInfo info{state_.model().name, state_.name(), state_.camera_on(),
                             s.streaming, FormatIsoDate(state_.clock().Now()),
                             state_.card().PhotoCount(), state_.card().VideoCount()};
    return MediaReply(200, "text/html", FrontPage(info), head);
  }
  if (path == "/videos" || path == "/live" || path + "/" == media_root_) {
    HttpResponse response = MediaReply(301, "text/plain", "moved\n", head);
    response.headers.emplace_back("Location", path + "/");
    return response;
  }
  if (path == media_root_) {
    std::vector<IndexEntry> entries;
    if (state_.card().present()) {
      const CivilTime now = state_.clock().Now();
      for (const std::string& folder : state_.card().Folders()) {
        entries.push_back({folder + "/", now, 0, {}});
      }
    }
    return MediaReply(200, "text/html", Index(media_root_, entries), head);
  }
  if (path.starts_with(media_root_) && state_.card().present()) {
    const std::string rest = path.substr(media_root_.size());
    const size_t slash = rest.find('/');
    const std::string folder = rest.substr(0, slash);
    if (state_.card().HasFolder(folder)) {
      if (slash == std::string::npos) {
        HttpResponse response = MediaReply(301, "text/plain", "moved\n", head);
        response.headers.emplace_back("Location", path + "/");
        return response;
      }
      const std::string name = rest.substr(slash + 1);
      if (name.empty()) return FolderIndex(folder, request.query, head, hostile);
      if (const MediaFile* f = state_.card().Find(folder, name)) {
        return FileReply(*f, request, head, hostile);
      }
    }
  }
  // The live preview exists only while the camera streams it.
  if (path.starts_with("/live/") && s.streaming && state_.camera_on()) {
    const int64_t sequence = state_.now_ms() / 1000;
    const std::string name = path.substr(6);
    if (name.empty()) {
      std::vector<IndexEntry> entries;
      const CivilTime now = state_.clock().Now();
      const std::string playlist = LivePlaylist(sequence);
      entries.push_back({"amba.m3u8", now, playlist.size(), {}});
      for (int i = 0; i < 3; ++i) {
        entries.push_back(
            {LiveSegmentName(sequence + i), now, LiveSegment(sequence + i).size(), {}});
      }
      return MediaReply(200, "text/html", IndexPage("/live/", entries), head);
    }
    if (name == "amba.m3u8") {
      return MediaReply(200, "application/vnd.apple.mpegurl", LivePlaylist(sequence), head);
    }
    if (const int64_t segment = LiveSegmentSequence(name, sequence); segment >= 0) {
      return MediaReply(200, "video/mp2t", LiveSegment(segment), head);
    }
  }
  return MediaReply(404, "text/html", "<html><body><h1>404 Not Found</h1></body></html>\n", head);
}

}  // namespace kivo::camsim
