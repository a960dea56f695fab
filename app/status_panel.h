#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>

#include "workflow/progress.h"

class QLabel;
class QPushButton;

namespace ombrix::app {

// The busy state of a calculation as the results step shows it: the delayed
// "please wait" message, the message of an exact computation, its
// approximate P, percentage done and seconds left, and the cancel button.
//
// The calculation runs on this thread; the window stays responsive because
// the engine calls processPendingEvents() from its progress calls, and the
// cancel button reaches the engine from inside that call.
class StatusPanel final : public QWidget, public workflow::StatusView {
    Q_OBJECT

public:
    // progress must outlive the panel.
    explicit StatusPanel(workflow::CalculationProgress& progress, QWidget* parent = nullptr);
    ~StatusPanel() override;

    // The report view hidden while its report is being rebuilt.
    void setResultsViewer(QWidget* viewer) { m_viewer = viewer; }

    QLabel* messageLabel() const { return m_message; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* figureCaption(workflow::StatusFigure figure) const;
    QLabel* figureValue(workflow::StatusFigure figure) const;
    const QTimer& statusTimer() const { return m_timer; }
    bool busyCursorShown() const { return m_busyCursor; }

    void setBusyCursor(bool busy) override;
    void setResultsViewerVisible(bool visible) override;
    void setStatusPanelVisible(bool visible) override;
    void showMessage(std::string_view text) override;
    void hideMessage() override;
    void showCancelButton(std::string_view caption) override;
    void hideCancelButton() override;
    void showFigure(workflow::StatusFigure figure, std::string_view caption, std::string_view value) override;
    void hideFigures() override;
    void startStatusTimer(int milliseconds) override;
    void stopStatusTimer() override;
    void processPendingEvents() override;

private:
    struct Figure {
        QLabel* caption = nullptr;
        QLabel* value = nullptr;
    };

    workflow::CalculationProgress& m_progress;
    QPointer<QWidget> m_viewer;
    QLabel* m_message = nullptr;
    QPushButton* m_cancel = nullptr;
    std::array<Figure, 3> m_figures{};
    QTimer m_timer;
    bool m_busyCursor = false;
};

}  // namespace ombrix::app
