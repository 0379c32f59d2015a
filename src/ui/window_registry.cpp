#include "ui/window_registry.h"

namespace panelix::ui {

Windows CreateWindows(Dialogs& dialogs) {
  Windows w;
  w.form1 = std::make_unique<TForm1>(dialogs);
  w.form2 = std::make_unique<TForm2>(dialogs);
  w.form3 = std::make_unique<TForm3>(dialogs);
  w.form4 = std::make_unique<TForm4>(dialogs);
  w.form5 = std::make_unique<TForm5>(dialogs);
  w.form6 = std::make_unique<TForm6>(dialogs);
  w.form7 = std::make_unique<TForm7>(dialogs);
  w.form8 = std::make_unique<TForm8>(dialogs);
  w.form10 = std::make_unique<TForm10>(dialogs);
  w.inspect = std::make_unique<InspectWindow>(dialogs);
  w.form8->SetErrorWindow(w.form10.get());
  w.form1->SetToolWindows({w.form2.get(), w.form3.get(), w.form4.get(), w.form5.get(), w.form6.get(),
                           w.form7.get(), w.form8.get(), w.inspect.get()});
  return w;
}

}  // namespace panelix::ui
