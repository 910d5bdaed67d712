// A bar of one sentence and a few buttons, above or under Text1, that tells
// the author of something they may act on (a file changed on disk) without
// stopping them: it never takes the focus by itself, and its buttons are
// reached by their access keys or by Tab.
#pragma once

#include <QFrame>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

class NoticeBar : public QFrame
{
    Q_OBJECT

public:
    explicit NoticeBar(QWidget *parent = nullptr);

    // Shows the bar with `message` (plain text; cut at the window's width,
    // whole in its tooltip).
    void tell(const QString &message);
    QString message() const;
    // A button that runs `act` and hides the bar.
    QPushButton *addButton(const QString &caption, std::function<void()> act);

private:
    QLabel *m_message;
    QHBoxLayout *m_row;
};
