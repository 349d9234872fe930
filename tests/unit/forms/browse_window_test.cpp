// The Browse and Download window with the headless renderer against a scripted camera: it finds
// the card's folder under the later firmware's path, lists a video with its companions on one
// row, shows a photo's embedded thumbnail, downloads everything with the bars at their end, and
// remembers a chosen folder in the settings file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "form_fixture.h"
#include "jpeg_writer.h"
#include "media/exif_thumbnail.h"
#include "net/script_server.h"
#include "forms/browse_texts.h"
#include "forms/browse_window.h"
#include "ui/headless_renderer.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

std::string Reply(const std::string& body, int status = 200) {
  return "HTTP/1.0 " + std::to_string(status) + " X\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Row(const std::string& name, const std::string& date, const std::string& size) {
  return "<tr><td><img src=\"/icons/x.gif\"></td><td><a href=\"" + name + "\">" + name +
         "</a></td><td align=\"right\">" + date + "  </td><td align=\"right\">" + size +
         "</td></tr>\n";
}

std::string Page(const std::string& rows) {
  return "<html><body><table>" + rows + "</table></body></html>\n";
}

class BrowseWindowTest : public FormFixture {};

TEST_F(BrowseWindowTest, ListsPicturesAndDownloadsEverything) {
  TForm1& f = Create();
  f.camera_address = "127.0.0.1";
  HeadlessRenderer main_view(f.Model());
  int opened = 0;
  f.OnBrowseDownload = [&] { ++opened; };
  const auto& items = f["SDCard"].Children();
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items[items.size() - 2]->Name(), "View1");
  EXPECT_EQ(items.back()->Caption(), "&Browse and Download...");
  f["SDCard"].SetEnabled(true);  // as the BacPac poll does once the camera is on
  ASSERT_TRUE(main_view.UserClick("BrowseDownload1"));
  EXPECT_EQ(opened, 1);

  camsim::PhotoSpec spec{{2015, 3, 1, 12, 0, 0}, 1, "HERO3"};
  spec.exif_thumbnail = true;
  const std::string photo = camsim::MakeJpeg(spec);
  const auto thumb = FindExifThumbnail(photo);
  ASSERT_TRUE(thumb.has_value());
  const std::string thm = camsim::MakeJpeg({{2015, 3, 1, 12, 5, 0}, 2, "HERO3", 20, 15});
  const std::string video(3000, 'v');

  const std::string root = Page(Row("100GOPRO/", "01-Mar-2015 12:00", "-"));
  const std::string folder =
      Page(Row("GOPR0001.JPG", "01-Mar-2015 12:00", "4.5K") + Row("GOPR0002.MP4", "01-Mar-2015 12:05", "2.9K") +
           Row("GOPR0002.THM", "01-Mar-2015 12:05", "1.7K"));
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply(root)).Close(),
                Script().ReadRequest().Send(Reply(folder)).Close(),
                Script().ReadRequest().Send(Reply(thm)).Close(),     // the video's picture
                Script().ReadRequest().Send(Reply(photo)).Close(),   // the photo's
                Script().ReadRequest().Send(Reply(video)).Close(),
                Script().ReadRequest().Send(Reply(thm)).Close(),
                Script().ReadRequest().Send(Reply(photo)).Close()});

  const std::string pictures = dir_ + "pictures";
  dialogs_.folder_answers.push_back(pictures);
  TBrowseForm browse(f);
  browse.media_port = server.port();
  HeadlessRenderer view(browse.Model());
  ASSERT_TRUE(view.UserClick("FolderBtn"));
  EXPECT_EQ(browse.Folder(), pictures);

  browse.Open();
  ASSERT_TRUE(loop_.RunUntil([&] { return server.Finished() >= 4; }, 5000));
  loop_.RunFor(50);
  const std::vector<std::string> sent = server.Received();
  EXPECT_TRUE(sent[0].starts_with("GET /videos/DCIM/ ")) << sent[0];
  EXPECT_TRUE(sent[1].starts_with("GET /videos/DCIM/100GOPRO/ ")) << sent[1];
  EXPECT_NE(sent[3].find("Range: bytes=0-65535"), std::string::npos) << sent[3];
  EXPECT_EQ(browse["FileList"].Lines(),
            (std::vector<std::string>{"GOPR0002.MP4\t2015-03-01 12:05\t3 KB\tVideo + THM\t",
                                      "GOPR0001.JPG\t2015-03-01 12:00\t4 KB\tPhoto\t"}));
  EXPECT_EQ(browse["Picture"].Data(), thm);  // the newest row starts selected
  browse["FileList"].SetSelection({1});
  ASSERT_TRUE(view.UserClick("FileList"));
  EXPECT_EQ(browse["Picture"].Data(), photo.substr(thumb->offset, thumb->length));
  EXPECT_EQ(browse["NoDeleteLabel"].Caption(), browse_text::kNoDelete);

  const std::size_t listed = view.Transcript().size();
  ASSERT_TRUE(view.UserClick("DownloadAllBtn"));
  EXPECT_TRUE(browse["CancelBtn"].Enabled());
  ASSERT_TRUE(loop_.RunUntil([&] { return !browse.Fetcher().Busy(); }, 5000));
  loop_.RunFor(20);
  // A download redraws only its own row, never the whole list.
  int row_changes = 0;
  for (std::size_t i = listed; i < view.Transcript().size(); ++i) {
    const HeadlessRenderer::Change& change = view.Transcript()[i];
    if (change.component != "FileList" || change.property == Property::kSelection) continue;
    EXPECT_EQ(change.property, Property::kLine) << change.value;
    ++row_changes;
  }
  EXPECT_GE(row_changes, 4);  // each row at least queued and done
  EXPECT_EQ(browse["BrowseStatus"].Caption(), "Downloaded 3, already here 0, failed 0 of 3 files");
  EXPECT_EQ(browse["BatchProgress"].Value(), 1000);
  // The last file arrives faster than progress is reported: its bar still ends full.
  EXPECT_EQ(browse["FileProgress"].Value(), 1000);
  EXPECT_EQ(browse["FileProgress"].Caption(), "100GOPRO/GOPR0001.JPG  100%");
  EXPECT_FALSE(browse["CancelBtn"].Enabled());
  const std::filesystem::path got = std::filesystem::path(pictures) / "100GOPRO";
  EXPECT_EQ(std::filesystem::file_size(got / "GOPR0002.MP4"), video.size());
  EXPECT_EQ(std::filesystem::file_size(got / "GOPR0001.JPG"), photo.size());
  EXPECT_EQ(browse["FileList"].Lines()[0].substr(browse["FileList"].Lines()[0].rfind('\t') + 1),
            browse_text::kStateDone);

  f.FormClose();
  EXPECT_NE(ReadIni().find("DownloadFolder=" + pictures + "\n"), std::string::npos);
}

TEST_F(BrowseWindowTest, ABatchOfManyRowsReachesTheListAsOneChange) {
  TForm1& f = Create();
  f.camera_address = "127.0.0.1";
  // 100 sound files: no pictures to fetch, so the only other connection is the first download,
  // which the camera never answers, and the batch stays queued until Cancel.
  std::string rows;
  for (int i = 1; i <= 100; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "GOPR%04d.WAV", i);
    rows += Row(name, "01-Mar-2015 12:00", "1.0K");
  }
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply(Page(Row("100GOPRO/", "01-Mar-2015 12:00", "-")))).Close(),
                Script().ReadRequest().Send(Reply(Page(rows))).Close(),
                Script().ReadRequest().Silent()});
  dialogs_.folder_answers.push_back(dir_ + "pictures");
  TBrowseForm browse(f);
  browse.media_port = server.port();
  HeadlessRenderer view(browse.Model());
  ASSERT_TRUE(view.UserClick("FolderBtn"));
  browse.Open();
  ASSERT_TRUE(loop_.RunUntil([&] { return browse["FileList"].Lines().size() == 100; }, 5000));

  // What the list heard after |from|: how many whole-list and single-row changes, and whether
  // every row then ends in |state|.
  auto check = [&](std::size_t from, const std::string& state) {
    int whole = 0, single = 0;
    for (std::size_t i = from; i < view.Transcript().size(); ++i) {
      const HeadlessRenderer::Change& change = view.Transcript()[i];
      if (change.component != "FileList") continue;
      whole += change.property == Property::kLines;
      single += change.property == Property::kLine;
    }
    EXPECT_EQ(whole, 1) << state;
    EXPECT_LE(single, 2) << state;  // the first file's own row at most
    int in_state = 0;
    for (const std::string& line : browse["FileList"].Lines())
      in_state += line.substr(line.rfind('\t') + 1) == state;
    EXPECT_GE(in_state, 99) << state;
  };
  std::size_t from = view.Transcript().size();
  ASSERT_TRUE(view.UserClick("DownloadAllBtn"));
  check(from, browse_text::kStateQueued);
  ASSERT_TRUE(loop_.RunUntil([&] { return server.Received().size() >= 3; }, 5000));

  from = view.Transcript().size();
  ASSERT_TRUE(view.UserClick("CancelBtn"));
  ASSERT_TRUE(loop_.RunUntil([&] { return !browse.Fetcher().Busy(); }, 5000));
  loop_.RunFor(20);
  check(from, browse_text::kStateCancelled);
  EXPECT_EQ(browse["BrowseStatus"].Caption(),
            "Downloaded 0, already here 0, failed 0 of 100 files");
  server.Stop();
}

// A formatted card: the media root lists no folder at all, and other roots are not there.
TEST_F(BrowseWindowTest, AnEmptyCardIsAnEmptyList) {
  TForm1& f = Create();
  f.camera_address = "127.0.0.1";
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply(Page(""))).Close(),
                Script().ReadRequest().Send(Reply("not here", 404)).Close(),
                Script().ReadRequest().Send(Reply("not here", 404)).Close()});
  TBrowseForm browse(f);
  browse.media_port = server.port();
  browse.Open();
  ASSERT_TRUE(loop_.RunUntil([&] { return browse["RefreshBtn"].Enabled(); }, 5000));
  EXPECT_EQ(browse["BrowseStatus"].Caption(), std::string("0") + browse_text::kFilesFound);
  EXPECT_TRUE(browse["FileList"].Lines().empty());
}

// An older photo of the same name and another size is not the camera's: Download All New
// fetches the camera's beside it, where a full disk stops it, said in its row and the status.
TEST_F(BrowseWindowTest, AnOldFileOfTheSameNameIsNotHereAndAFullDiskIsSaid) {
  const std::string pictures = dir_ + "pictures";
  const std::filesystem::path folder = std::filesystem::path(pictures) / "100GOPRO";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "GOPR0001.JPG") << "26 bytes of an older card";
  std::error_code ec;
  std::filesystem::create_symlink("/dev/full", folder / "GOPR0001-1.JPG.part", ec);
  if (ec || !std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TForm1& f = Create();
  f.camera_address = "127.0.0.1";
  const std::string photo(2801, 'p');
  const std::string root = Page(Row("100GOPRO/", "01-Mar-2015 12:00", "-"));
  const std::string listing = Page(Row("GOPR0001.JPG", "01-Mar-2015 12:00", "2.7K"));
  const std::string head = Reply(photo).substr(0, Reply(photo).find("\r\n\r\n") + 4);
  ScriptServer server;
  server.Serve({Script().ReadRequest().Send(Reply(root)).Close(),
                Script().ReadRequest().Send(Reply(listing)).Close(),
                Script().ReadRequest().Send(Reply(photo)).Close(),  // its picture
                Script().ReadRequest().Send(head).Close(),
                Script().ReadRequest().Send(Reply(photo)).Close()});
  dialogs_.folder_answers.push_back(pictures);
  TBrowseForm browse(f);
  browse.media_port = server.port();
  HeadlessRenderer view(browse.Model());
  ASSERT_TRUE(view.UserClick("FolderBtn"));
  browse.Open();
  ASSERT_TRUE(loop_.RunUntil([&] { return server.Finished() >= 3; }, 5000));
  ASSERT_TRUE(view.UserClick("DownloadAllBtn"));
  ASSERT_TRUE(loop_.RunUntil([&] { return !browse.Fetcher().Busy(); }, 5000));
  const std::string row = browse["FileList"].Lines().at(0);
  EXPECT_EQ(row.substr(row.rfind('\t') + 1), kFetchDiskFull);
  EXPECT_EQ(browse["BrowseStatus"].Caption(),
            std::string("Downloaded 0, already here 0, failed 1 of 1 files: ") + kFetchDiskFull);
  EXPECT_TRUE(server.Received().at(3).starts_with("HEAD /videos/DCIM/100GOPRO/GOPR0001.JPG "));
  server.Stop();
}

}  // namespace
}  // namespace kivo
