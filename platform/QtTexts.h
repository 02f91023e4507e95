// Qt's own texts (the file dialogs, the folder picker, standard buttons, an
// edit's context menu) in Polish, as the rest of the interface is.
#pragma once

class QTranslator;

namespace platform {

// Loads Qt's Polish translation ("qtbase_pl" in Qt's translations folder)
// into translator and installs it in the application, whatever the user's
// locale. False when the translation is not there: Qt's texts stay English
// and the program runs on. translator must outlive its use by the
// application; its destruction uninstalls it.
bool InstallPolishQtTexts(QTranslator& translator);

}  // namespace platform
