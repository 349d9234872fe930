// SD Card > "Browse and Download...": the window itself is TBrowseForm (ui/browse_window.h);
// whoever shows it opens it here.
#include "ui/main_window.h"

namespace kivo {

void TForm1::BrowseDownload1Click() {
  if (OnBrowseDownload) OnBrowseDownload();
}

}  // namespace kivo
