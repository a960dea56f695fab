#include "app/about_dialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ombrix::app {

QString aboutText()
{
    return QApplication::translate("About",
                                   "<h3>Ombrix %1</h3>"
                                   "<p>Elementary biostatistics: enter your data, see the statistics of every "
                                   "column, choose a test and read the results in plain words.</p>"
                                   "<p>Ombrix is free software: you can redistribute it and/or modify it under the "
                                   "terms of the GNU General Public License, version 3 or later. It comes with no "
                                   "warranty. The licence's full text is installed with the program in the file "
                                   "LICENSE.</p>"
                                   "<p>Ombrix uses Qt %2 (built with Qt %3), used under the terms of the GNU Lesser "
                                   "General Public License, version 3.</p>")
        .arg(QLatin1String(OMBRIX_VERSION), QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR));
}

void showAbout(QWidget* parent)
{
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::translate("About", "About Ombrix"));
    box.setTextFormat(Qt::RichText);
    box.setText(aboutText());
    box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    QPushButton* aboutQt = box.addButton(QApplication::translate("About", "About Qt"), QMessageBox::ActionRole);
    box.addButton(QMessageBox::Ok);
    // "About Qt" shows Qt's own box and comes back here.
    QObject::disconnect(aboutQt, &QPushButton::clicked, nullptr, nullptr);
    QObject::connect(aboutQt, &QPushButton::clicked, &box, [parent] { QMessageBox::aboutQt(parent); });
    box.exec();
}

}  // namespace ombrix::app
