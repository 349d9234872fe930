// SD Card > "Browse and Download...": the window itself is TBrowseForm (forms/browse_window.h);
// whoever shows it opens it here.
#include "forms/main_window.h"

namespace kivo {

void TForm1::BrowseDownload1Click() {
  if (OnBrowseDownload) OnBrowseDownload();
}

}  // namespace kivo
