// kivo-cli cameras: every interface that leads into the camera network (one Wi-Fi adapter per
// camera in a rig), each with its camera's model and power and the Wi-Fi network's name.
#include <memory>

#include "camera/status_texts.h"
#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "link/rig_rows.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

constexpr char kNotAnswering[] = "not answering";

struct CameraRow {
  std::string interface_name;
  std::string wifi;
  std::optional<CameraSnapshot> status;
  std::string trouble;  // why there is no status
};

// Reads every camera's status at once: one link per interface, all asked in one pass.
Task<std::vector<CameraRow>> ReadCameras(CliContext& c, const std::vector<NetInterface>& found) {
  std::vector<CameraRow> rows;
  std::vector<std::unique_ptr<CameraLink>> links;
  for (const NetInterface& nif : found) {
    rows.push_back({nif.name, WifiNetworkName(nif.name), std::nullopt, ""});
    LinkOptions options(c.link.Address(), c.password_for(nif.name));
    options.interface_name = nif.name;
    links.push_back(std::make_unique<CameraLink>(c.link.Loop(), options));
  }
  std::size_t answered = 0;
  for (std::size_t i = 0; i < links.size(); ++i) {
    links[i]->Hold();
    links[i]->ReadStatus([&rows, &answered, i](const LinkError& e, const CameraSnapshot& s) {
      ++answered;
      if (e.ok()) {
        rows[i].status = s;
      } else {
        rows[i].trouble = e.failure == LinkFailure::kUnreachable ? kNotAnswering : e.text;
      }
    });
  }
  std::vector<CameraLink*> all;
  for (const auto& link : links) all.push_back(link.get());
  FireTogether(all);
  const bool came = co_await c.link.Run().Until([&] { return answered == rows.size(); }, -1);
  if (!came) {
    for (const auto& link : links) link->Cancel();
    ThrowIfInterrupted();
  }
  co_return rows;
}

std::string RowJson(const CameraRow& row) {
  JsonWriter j;
  j.BeginObject().Field("interface", row.interface_name);
  row.wifi.empty() ? j.Key("wifi").Null() : j.Field("wifi", row.wifi);
  j.Field("answering", row.status.has_value());
  if (row.status) {
    j.Field("model", ModelName(row.status->bacpac.model_code));
    j.Field("model_code", row.status->bacpac.model_code);
    j.Field("power", row.status->camera_on ? "on" : "off");
  } else {
    j.Field("error", row.trouble);
  }
  return j.EndObject().Text();
}

std::string RowText(const CameraRow& row) {
  std::string text = row.interface_name;
  if (row.status) {
    text += "  " + ModelName(row.status->bacpac.model_code) + "  " +
            (row.status->camera_on ? "on" : "off");
  } else {
    text += "  " + row.trouble;
  }
  if (!row.wifi.empty()) text += "  Wi-Fi " + row.wifi;
  return text;
}

}  // namespace

std::vector<NetInterface> CameraInterfaces(const std::string& address) {
  RigInterfaces rig = FindRigInterfaces(address);
  switch (rig.trouble) {
    case RigInterfaces::Trouble::kNotDotted:
      throw CliError(kExitUsage, "cameras needs the camera's address as a.b.c.d");
    case RigInterfaces::Trouble::kCannotList:
      throw CliError(kExitFailed, rig.error);
    case RigInterfaces::Trouble::kNone:
      break;
  }
  if (rig.found.empty())
    throw CliError(kExitUnreachable,
                   "No network interface leads into the camera network of " + address);
  return std::move(rig.found);
}

Task<int> RunCameras(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "cameras takes no arguments");
  std::vector<NetInterface> found = CameraInterfaces(c.link.Address());
  if (!c.link.Interface().empty()) {
    std::erase_if(found, [&](const NetInterface& n) { return n.name != c.link.Interface(); });
    if (found.empty())
      throw CliError(kExitUnreachable, c.link.Interface() +
                                           " does not lead into the camera network of " +
                                           c.link.Address());
  }
  const std::vector<CameraRow> rows = co_await ReadCameras(c, found);
  for (const CameraRow& row : rows) c.out << (c.args.json ? RowJson(row) : RowText(row)) << "\n";
  co_return kExitDone;
}

}  // namespace kivo
