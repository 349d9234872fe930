// kivo-cli cameras: every interface that leads into the camera network (one Wi-Fi adapter per
// camera in a rig), each with its camera's model and power and the Wi-Fi network's name.
#include <cstring>

#include "camera/status_texts.h"
#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "platform/dotted_ipv4.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

constexpr char kNotAnswering[] = "not answering";

// "10.5.5.9" in network byte order; nullopt for anything but a dotted quad.
std::optional<std::uint32_t> ParseIpv4(const std::string& text) {
  std::uint32_t address = 0;
  if (!ParseDottedIpv4(text, &address)) return std::nullopt;
  return address;
}

struct CameraRow {
  std::string interface_name;
  std::string wifi;
  std::optional<CameraSnapshot> status;
  std::string trouble;  // why there is no status
};

CameraRow ReadCamera(CliContext& c, const NetInterface& nif) {
  CameraRow row{nif.name, WifiNetworkName(nif.name), std::nullopt, ""};
  LinkOptions options(c.link.Address(), c.password_for(nif.name));
  options.interface_name = nif.name;
  SyncLink link(c.link.Loop(), options);
  try {
    row.status = link.ReadStatus();
  } catch (const CliError& e) {
    ThrowIfInterrupted();
    row.trouble = e.ExitCode() == kExitUnreachable ? kNotAnswering : e.what();
  }
  return row;
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

int RunCameras(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (!c.args.args.empty()) throw CliError(kExitUsage, "cameras takes no arguments");
  const std::optional<std::uint32_t> camera = ParseIpv4(c.link.Address());
  if (!camera) throw CliError(kExitUsage, "cameras needs the camera's address as a.b.c.d");
  std::vector<NetInterface> all;
  if (const int error = ListNetInterfaces(&all); error != 0)
    throw CliError(kExitFailed, "The network interfaces could not be listed (error " +
                                    std::to_string(error) + ")");
  std::vector<NetInterface> found = InterfacesInNetwork(all, *camera);
  if (!c.link.Interface().empty())
    std::erase_if(found, [&](const NetInterface& n) { return n.name != c.link.Interface(); });
  if (found.empty())
    throw CliError(kExitUnreachable, "No network interface leads into the camera network of " +
                                         c.link.Address());
  // One camera after the other: a camera that does not answer costs the status time-out.
  for (const NetInterface& nif : found) {
    const CameraRow row = ReadCamera(c, nif);
    c.out << (c.args.json ? RowJson(row) : RowText(row)) << "\n";
    c.out.flush();
  }
  return kExitDone;
}

}  // namespace kivo
