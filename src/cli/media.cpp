// kivo-cli ls and get: the card read folder by folder, and the resuming download engine.
#include <filesystem>
#include <set>

#include "cli/cli_commands.h"
#include "cli/json_writer.h"
#include "cli/progress_line.h"
#include "media/card_reader.h"
#include "media/local_copies.h"
#include "media/media_fetcher.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

// Reading a card of a few thousand files takes a few seconds; a camera that stops answering
// half-way is given up on after this.
constexpr int kCardTimeoutMs = 60000;
constexpr char kNothingNew[] = "Nothing new on the camera's card";

Task<CardListing> ReadCard(CliContext& c) {
  const std::optional<CardListing> listing = co_await c.link.ReadListing(kCardTimeoutMs);
  if (!listing) throw CliError(kExitUnreachable, "The camera's card could not be read in time");
  if (!listing->ok) {
    const bool unreachable = listing->error.rfind(kCardCannotReach, 0) == 0;
    throw CliError(unreachable ? kExitUnreachable : kExitFailed, listing->error);
  }
  if (!listing->note.empty() && !c.args.quiet) c.err << "kivo-cli: " << listing->note << "\n";
  co_return *listing;
}

std::string KindName(MediaKind kind) {
  switch (kind) {
    case MediaKind::kPhoto: return "photo";
    case MediaKind::kVideo: return "video";
    case MediaKind::kOther: return "other";
  }
  return "other";
}

void WriteEntry(JsonWriter& j, const ListingEntry& e) {
  j.Field("name", e.name);
  j.Key("size");
  e.has_size ? j.Int(static_cast<std::int64_t>(e.size)) : j.Null();
  j.Field("size_exact", e.size_exact);
}

std::string ItemJson(const MediaItem& m, const std::string& url_base) {
  JsonWriter j;
  j.BeginObject().Field("folder", m.folder);
  WriteEntry(j, m.file);
  j.Field("date", DateText(m.file)).Field("kind", KindName(m.kind));
  j.Field("url", url_base + m.folder + "/" + m.file.name);
  j.Key("companions").BeginArray();
  for (const ListingEntry& e : m.companions) {
    j.BeginObject();
    WriteEntry(j, e);
    j.EndObject();
  }
  j.EndArray().EndObject();
  return j.Text();
}

std::string ItemText(const MediaItem& m) {
  auto pad = [](std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text + "  ";
  };
  std::string companions;
  for (const ListingEntry& e : m.companions) companions += (companions.empty() ? "" : " ") + e.name;
  std::string size = m.file.has_size ? SizeText(m.file.size) : "";
  if (size.size() < 9) size.insert(0, 9 - size.size(), ' ');
  return pad(m.folder, 8) + pad(m.file.name, 12) + size + "  " + pad(DateText(m.file), 16) +
         companions;
}

const char* OutcomeName(FetchOutcome outcome) {
  switch (outcome) {
    case FetchOutcome::kDownloaded: return "downloaded";
    case FetchOutcome::kAlreadyHere: return "already-here";
    case FetchOutcome::kSizeMismatch: return "size-mismatch";
    case FetchOutcome::kFailed: return "failed";
    case FetchOutcome::kCancelled: return "cancelled";
  }
  return "failed";
}

}  // namespace

Task<int> RunLs(CliContext& c) {
  RejectUnknownOptions(c.args.args);
  if (c.args.args.size() > 1) throw CliError(kExitUsage, "ls takes at most one FOLDER");
  const std::string folder = c.args.args.empty() ? "" : c.args.args[0];
  // An empty name (an unset shell variable, say) must not stand for "every folder".
  if (!c.args.args.empty() && folder.empty())
    throw CliError(kExitUsage, "ls FOLDER: the folder's name is empty");
  const CardListing card = co_await ReadCard(c);
  const std::string url_base = c.link.MediaBase() + card.root;
  bool found_folder = folder.empty();
  for (const MediaItem& m : card.items) {
    if (!folder.empty() && m.folder != folder) continue;
    found_folder = true;
    c.out << (c.args.json ? ItemJson(m, url_base) : ItemText(m)) << "\n";
  }
  if (!found_folder) throw CliError(kExitFailed, "No folder " + folder + " on the camera's card");
  co_return kExitDone;
}

Task<int> RunGet(CliContext& c) {
  std::vector<std::string>& args = c.args.args;
  // Paths cross to the system only through the UTF-8 seam: a folder named in any language. In a
  // rig each camera's files go into a folder of its own below.
  std::filesystem::path dir = PathFromUtf8(TakeOption(args, "--to").value_or("."));
  if (!c.subfolder.empty()) dir /= PathFromUtf8(c.subfolder);
  const bool get_new = TakeFlag(args, "--new");
  const bool get_all = TakeFlag(args, "--all");
  RejectUnknownOptions(args);
  if (int(get_new) + int(get_all) + int(!args.empty()) != 1)
    throw CliError(kExitUsage, "get takes FILE..., --new or --all");
  const CardListing card = co_await ReadCard(c);

  std::vector<const MediaItem*> chosen;
  if (!args.empty()) {
    // FILE is a name ("GOPR0001.MP4") or a folder and a name ("100GOPRO/GOPR0001.MP4").
    for (const std::string& wanted : args) {
      const std::size_t before = chosen.size();
      for (const MediaItem& m : card.items)
        if (m.file.name == wanted || m.folder + "/" + m.file.name == wanted) chosen.push_back(&m);
      if (chosen.size() == before) throw CliError(kExitFailed, "No file " + wanted + " on the camera's card");
    }
  } else {
    // New is what is not here for certain; a file the listing gives only a rounded size for
    // goes to the engine too, which asks the camera for the exact size and skips it if it is
    // here after all.
    LocalCopies here(dir);
    for (const MediaItem& m : card.items)
      if (get_all || !here.AllHere(m)) chosen.push_back(&m);
  }
  std::vector<FetchJob> jobs;
  std::vector<std::string> labels;
  for (const MediaItem* m : chosen) {
    const std::string base = c.link.MediaBase() + card.root + m->folder + "/";
    jobs.push_back({base + m->file.name, m->file.name, m->folder, m->file.size});
    for (const ListingEntry& e : m->companions)
      jobs.push_back({base + e.name, e.name, m->folder, e.size});
  }
  for (const FetchJob& job : jobs) labels.push_back(job.subfolder + "/" + job.name);
  const bool say_nothing_new = get_new && !c.args.quiet && !c.args.json;
  if (jobs.empty()) {
    if (!c.args.quiet && !c.args.json) c.out << kNothingNew << "\n";
    co_return kExitDone;
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec))
    throw CliError(kExitFailed, std::string(kFetchCannotWrite) + ": " + Utf8FromPath(dir));

  MediaFetcher fetcher(c.link.Loop(), SystemClock::Instance());
  fetcher.SetBindInterface(c.link.Interface());
  bool batch_done = false;
  std::size_t failed = 0;
  std::size_t downloaded = 0;
  std::size_t line_length = 0;
  auto clear_progress = [&] {
    if (line_length == 0) return;
    c.err << OverwriteLine("", line_length) << "\r" << std::flush;
    line_length = 0;
  };
  fetcher.OnProgress = [&](const FetchProgress& p) {
    if (!c.progress_on_terminal || p.file >= labels.size()) return;
    const std::string line = ProgressLineText({labels[p.file], p.file, labels.size(), p.file_done,
                                               p.file_total, p.bytes_per_second, p.seconds_left});
    c.err << OverwriteLine(line, line_length) << std::flush;
    line_length = line.size();
  };
  fetcher.OnFileDone = [&](std::size_t job, const FetchResult& r) {
    clear_progress();
    const bool bad = r.outcome == FetchOutcome::kFailed || r.outcome == FetchOutcome::kSizeMismatch;
    if (bad) ++failed;
    if (r.outcome == FetchOutcome::kDownloaded) ++downloaded;
    if (c.args.json) {
      JsonWriter j;
      std::error_code size_ec;
      const auto size = r.path.empty() ? 0 : std::filesystem::file_size(r.path, size_ec);
      j.BeginObject()
          .Field("folder", jobs[job].subfolder)
          .Field("name", jobs[job].name)
          .Field("outcome", OutcomeName(r.outcome))
          .Field("path", Utf8FromPath(r.path))
          .Key("bytes")
          .Int(size_ec ? 0 : static_cast<std::int64_t>(size))
          .Field("message", r.message)
          .EndObject();
      c.out << j.Text() << "\n" << std::flush;
    } else if (bad) {
      c.err << "kivo-cli: " << labels[job] << ": " << r.message << "\n";
    } else if (!c.args.quiet && r.outcome != FetchOutcome::kCancelled &&
               !(get_new && r.outcome == FetchOutcome::kAlreadyHere)) {
      c.out << OutcomeName(r.outcome) << "  " << Utf8FromPath(r.path) << "\n" << std::flush;
    }
  };
  fetcher.OnBatchDone = [&] { batch_done = true; };
  fetcher.Start(dir, jobs);
  bool cancelled = false;
  while (!batch_done) {
    // After the interrupt the engine still closes its files; that is waited for.
    co_await c.link.Run().Until([&] { return batch_done; }, -1, !cancelled);
    if (InterruptExitCode() && !cancelled) {
      // The .part file stays for the next run; a second interrupt ends the program at once.
      cancelled = true;
      fetcher.Cancel();
    }
  }
  clear_progress();
  ThrowIfInterrupted();
  if (say_nothing_new && downloaded == 0 && failed == 0) c.out << kNothingNew << "\n";
  if (failed > 0)
    throw CliError(kExitFailed, std::to_string(failed) + " of " + std::to_string(labels.size()) +
                                    " files could not be downloaded");
  co_return kExitDone;
}

}  // namespace kivo
