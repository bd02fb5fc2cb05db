#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;

// The program's own notice box: frameless, dragged by any point of its body, closed by
// OK or by a right-click anywhere on it.
class CMessageBox : public QDialog
{
    Q_OBJECT
public:
    CMessageBox();
    ~CMessageBox() override;

    void ShowInformation(const QString &message);

    // 0 after OK, 1 otherwise.
    int Result() const { return resultFlag; }

    // Where a box opens for a main window: one third into it, both ways.
    static QRect PlacementFor(const QRect &mainWindowGeometry);

    // Shows message in a box placed over the main window and waits until it is closed.
    static void Inform(const QRect &mainWindowGeometry, const QString &message);

public slots:
    void btnSlotOK();
    void btnSlotNO();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPoint dragOffset;
    int resultFlag = 1;
    QLabel *messageLabel = nullptr;
};
