#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace ombrix::app {

// Help > About: the version, the program's licence and that of Qt (its own
// box behind the "About Qt" button).
QString aboutText();
void showAbout(QWidget* parent);

}  // namespace ombrix::app
