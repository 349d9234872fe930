#include "app/app_wiring.h"

#include <cstdio>
#include <utility>

namespace kivo {

AppWindows::AppWindows(AppPlatform platform, AppOptions options)
    : platform_(std::move(platform)), options_(std::move(options)) {
  form_ = std::make_unique<TForm1>(FormEnvironment{
      platform_.loop, platform_.clock, platform_.dialogs, platform_.shell,
      platform_.folders.settings, platform_.default_player, platform_.settings_source_dir,
      platform_.folders.logs, platform_.folders.work});
  form_->Model().OnException = [this](const std::string& message) {
    if (unattended_) {
      std::fprintf(stderr, "kivo: %s\n", message.c_str());
      exit_status_ = 1;
      return;
    }
    platform_.dialogs.MessageBox(message, MsgType::kError, MsgButtons::kOk);
  };
  form_->FormCreate();
  // The request pool lives from here to the end of the run.
  net_ = std::make_unique<Tnet>(*form_);
  net_->OnCloseRequest = [this] {
    if (net_window_) net_window_->Close();
  };
  browse_ = std::make_unique<TBrowseForm>(*form_);
  browse_->OnCloseRequest = [this] {
    if (browse_window_) browse_window_->Close();
  };
  form_->OnBrowseDownload = [this] {
    FormWindow& window = SecondaryWindow(browse_window_, browse_->Model(), "Browse", "BrowseMenu",
                                         [this] { browse_->FormKeyEscape(); });
    window.ShowForm();
    window.Raise();
    browse_->Model().Dispatch([this] { browse_->Open(); });
  };

  form_->OnCameras = [this] {
    const bool first = !cameras_;
    if (first) {
      cameras_ = std::make_unique<TCamerasForm>(*form_);
      cameras_->OnCloseRequest = [this] { cameras_window_->Close(); };
    }
    FormWindow& window = SecondaryWindow(cameras_window_, cameras_->Model(), "Cameras",
                                         "CamerasMenu", [this] { cameras_->FormKeyEscape(); });
    // Closing it (hidden, kept for the next showing) stops its reading.
    if (first)
      window.on_close = [this] { cameras_->Model().Dispatch([this] { cameras_->Close(); }); };
    window.ShowForm();
    window.Raise();
    cameras_->Model().Dispatch([this] { cameras_->Open(); });
  };

  main_window_ = platform_.make_window(form_->Model(), "Form1", "MainMenu1", WindowRole::kMain);
  main_window_->on_close = [this] {
    if (closed_) return;
    closed_ = true;
    form_->Model().Dispatch([this] { form_->FormClose(); });
    platform_.loop.Quit(exit_status_);
  };
  form_->OnCloseRequest = [this] { main_window_->Close(); };
}

AppWindows::~AppWindows() = default;

FormWindow& AppWindows::SecondaryWindow(std::unique_ptr<FormWindow>& window,
                                        ComponentModel& model, const std::string& form,
                                        const std::string& menu,
                                        std::function<void()> on_escape) {
  if (!window) {
    window = platform_.make_window(model, form, menu, WindowRole::kSecondary);
    window->OnEscape([&model, on_escape = std::move(on_escape)] { model.Dispatch(on_escape); });
  }
  return *window;
}

void AppWindows::ShowNetWindow() {
  const bool first = !net_window_;
  FormWindow& window = SecondaryWindow(net_window_, net_->Model(), "net", "NetMenu",
                                       [this] { net_->FormKeyEscape(); });
  if (first) {
    // Closing it saves its position. At logout every window hears of the end, and one that is
    // not on the screen has not been closed.
    window.on_close = [this] {
      if (net_window_->Shown()) net_->Model().Dispatch([this] { net_->FormClose(); });
    };
    if (before_net_window_shown) before_net_window_shown(window);
  }
  window.ShowForm();
}

void AppWindows::Show(const ScreenArea& screen, const std::function<void()>& task) {
  form_->Model().Dispatch([&] {
    form_->FormShow(screen.left, screen.top, screen.width, screen.height);
    if (task) task();
  });
  main_window_->ShowForm();
  if (options_.network_status) ShowNetWindow();
  if (options_.browse) form_->Model().Dispatch([this] { form_->BrowseDownload1Click(); });
  if (options_.cameras) form_->Model().Dispatch([this] { form_->Cameras1Click(); });
  if (!options_.screenshot.empty() && platform_.screenshot) {
    platform_.after(options_.screenshot_delay,
                    [this] { platform_.screenshot(options_.screenshot); });
  }
  if (options_.quit_after > 0)
    platform_.after(options_.quit_after, [this] { main_window_->Close(); });
}

void AppWindows::CloseUnattended() {
  unattended_ = true;
  main_window_->Close();
}

int AppWindows::Run() {
  const int code = platform_.loop.Run();  // closing the last window may end the loop with 0 first
  // Every settings save asked for is on disk before the program ends.
  form_->Model().Dispatch([this] { form_->FinishSaves(); });
  return exit_status_ != 0 ? exit_status_ : code;
}

}  // namespace kivo
