#pragma once

#include <QByteArray>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <span>

#include "core/data_set.h"

class QLineEdit;
class QListWidget;

namespace ombrix::app {

class TAnalysisForm;

// The built-in guide: HTML pages and the example data sets shipped inside the
// program, so that help works without a network and without the source tree.
struct HelpPage {
    const char* file;
    const char* title;
};
// Every page of the guide, in the order of its contents list.
std::span<const HelpPage> helpPages();

inline constexpr const char* HelpContentsPage = "index.html";
inline constexpr const char* ChoosingTestPage = "choosing_a_test.html";
inline constexpr const char* ImportHelpPage = "importing.html";

// The page that explains the analysis the data set's format and choices
// select (the choose-test page while no test follows yet).
QString analysisHelpPage(const core::DataSet& dataSet);
// The page F1 opens at the document's current step.
QString helpPageForStep(const TAnalysisForm& form);

// The text of an example data file as shipped ("car_stopping_xy" or with its
// .OXD extension); empty for a name that is not an example.
QByteArray exampleFileText(const QString& name);
// The HTML of a page ("index.html"); empty for a page that is not shipped.
QString helpPageText(const QString& file);
// The address of a page inside the program.
QUrl helpPageUrl(const QString& page);

// The browser of the help window: links of the form "example:name" are not
// followed but announced, so that the main window opens the example.
class HelpBrowser final : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

Q_SIGNALS:
    void exampleRequested(const QString& name);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
};

// The help window: back, forward and home, a contents list that doubles as
// the list of pages found by the search box, and the page itself.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showPage(const QString& page);
    // The contents list shows only the pages that hold every word typed.
    void startSearch();
    void search(const QString& words);

    HelpBrowser* browser() const { return m_browser; }
    QListWidget* contentsList() const { return m_contents; }
    QLineEdit* searchBox() const { return m_search; }
    // The page shown, without the program's resource prefix ("index.html#top").
    QString currentPage() const;

Q_SIGNALS:
    void exampleRequested(const QString& name);

private:
    void fillContents(const QString& words);
    // The contents list follows the page shown, links and Back included.
    void markPage(const QUrl& page);

    HelpBrowser* m_browser;
    QListWidget* m_contents;
    QLineEdit* m_search;
};

// Shows a page of the guide ("file.html" or "file.html#anchor") in the help
// window of parent's main window, created on first use. From a modal dialog
// the page opens in a window of the dialog's own, which the dialog's
// modality does not block.
HelpWindow* showHelpPage(QWidget* parent, const QString& page);
// Opens the help window with the search box ready for typing.
HelpWindow* showHelpSearch(QWidget* parent);

}  // namespace ombrix::app
