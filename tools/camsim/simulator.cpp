#include "simulator.h"

#include <fstream>

namespace kivo::camsim {

Simulator::Simulator(const Options& options)
    : options_(options),
      state_(*FindModel(options.camera.model), options.camera, MonotonicMs),
      routes_(state_, options.password),
      service_(options.service_version),
      loop_(*this, faults_, log_, options.address),
      control_(state_, routes_, service_, faults_,
               {[this] {
                  loop_.ApplyFaults();
                  return loop_.last_error();
                },
                [this] { loop_.Stop(0); }}) {
  routes_.SetListing(ParseListingStyle(options.listing).value_or(ListingStyle::kDefault),
                     options.media_root);
  // Captures a few minutes apart, ending now.
  const int count = options.fill_photos + options.fill_videos;
  const uint64_t video_bytes =
      options.fill_video_bytes != 0 ? options.fill_video_bytes : 32ULL * 1024 * 1024;
  const int64_t now = state_.clock().NowNaiveSeconds();
  int photos = options.fill_photos;
  int videos = options.fill_videos;
  for (int i = 0; i < count; ++i) {
    const CivilTime taken = FromNaiveSeconds(now - int64_t{300} * (count - i));
    if (videos > 0 && (photos == 0 || i % 2 == 1)) {
      state_.card().AddLargeVideo(taken, video_bytes);
      --videos;
    } else {
      state_.card().AddPhoto(taken, state_.PhotoBytes(), true);
      --photos;
    }
  }
}

bool Simulator::Start(std::vector<std::string>* listening, std::string* error) {
  for (const std::string& spec : options_.faults) {
    if (auto e = faults_.Apply(SplitWords(spec))) {
      *error = *e;
      return false;
    }
  }
  if (!options_.log_file.empty() && !log_.Open(options_.log_file, error)) return false;
  if (!options_.reports_file.empty() && !service_.OpenReportFile(options_.reports_file, error)) {
    return false;
  }
  struct Wanted {
    Role role;
    Endpoint endpoint;
    const char* name;
  };
  std::vector<Wanted> wanted = {
      {Role::kCommand, {options_.address, options_.command_port}, "camera"},
      {Role::kMedia, {options_.address, options_.media_port}, "media"},
  };
  if (options_.service) wanted.push_back({Role::kService, *options_.service, "service"});
  wanted.push_back({Role::kControl, options_.control, "control"});
  std::string ports;
  for (const Wanted& w : wanted) {
    const uint16_t port = loop_.Listen(w.role, w.endpoint.address, w.endpoint.port, error);
    if (port == 0) return false;
    const std::string where = w.endpoint.address + ":" + std::to_string(port);
    listening->push_back(where + " " + w.name);
    ports += std::string(w.name) + " " + where + "\n";
  }
  // Faults given on the command line (refuse, unplugged) take effect before the first request.
  loop_.ApplyFaults();
  if (!loop_.last_error().empty()) {
    *error = loop_.last_error();
    return false;
  }
  if (!options_.ports_file.empty()) {
    // Written whole under a temporary name and renamed, so a reader never sees half of it.
    const std::string temporary = options_.ports_file + ".tmp";
    std::ofstream(temporary) << ports;
    if (std::rename(temporary.c_str(), options_.ports_file.c_str()) != 0) {
      *error = "cannot write ports file " + options_.ports_file;
      return false;
    }
  }
  return true;
}

HttpResponse Simulator::HandleHttp(Role role, const HttpRequest& request) {
  switch (role) {
    case Role::kCommand:
      return routes_.CommandPort(request, faults_.For(Role::kCommand));
    case Role::kMedia:
      return routes_.MediaPort(request, faults_.For(Role::kMedia));
    case Role::kService:
      return service_.Handle(request);
    case Role::kControl:
      break;
  }
  return TextResponse(500, "text/plain", "no such server\n");
}

std::string Simulator::HandleControl(std::string_view line) { return control_.Execute(line); }

}  // namespace kivo::camsim
