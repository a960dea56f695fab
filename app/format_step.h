#pragma once

#include <QWidget>

#include "core/data_format.h"

class QButtonGroup;
class QAbstractButton;

namespace ombrix::app {

// The first step: the seven data formats as radio buttons.
class FormatStepPage final : public QWidget {
    Q_OBJECT
public:
    explicit FormatStepPage(QWidget* parent = nullptr);

    // Shows format as chosen, without announcing a choice.
    void showFormat(core::DataFormat format);
    QAbstractButton* button(core::DataFormat format) const;

Q_SIGNALS:
    // The user picked a format.
    void formatChosen(core::DataFormat format);

private:
    QButtonGroup* m_group;
};

}  // namespace ombrix::app
