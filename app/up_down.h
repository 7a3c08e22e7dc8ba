#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace kb {

// A spinner bound to an edit box: each step writes the new number into the
// box; the Up and Down keys in the box step it too. The box itself accepts
// any text; the spinner never leaves its range and does not wrap.
class UpDown final : public QWidget {
    Q_OBJECT

public:
    UpDown(QLineEdit* buddy, QWidget* parent);

    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    int Position() const { return position_; }
    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    void StepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 1;
    int maximum_ = 14;
    int position_ = 1;
};

}  // namespace kb
