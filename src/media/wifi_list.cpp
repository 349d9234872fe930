// The system's list of available wireless networks (the shell decides which tool shows it).
// Fire and forget; a missing tool simply shows nothing.
#include "ui/main_window.h"

namespace kivo {

void TForm1::ViewWiFiConnections1Click() { env_.shell.OpenNetworkList(); }

void TForm1::AutoVANClick() {
  Component& item = model_["AutoVAN"];
  item.SetChecked(!item.Checked());
}

}  // namespace kivo
