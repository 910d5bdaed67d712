#include "editor/notice_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

NoticeBar::NoticeBar(QWidget *parent)
    : QFrame(parent)
    , m_message(new QLabel(this))
    , m_row(new QHBoxLayout(this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 244, 200));
    setPalette(colours);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_row->setContentsMargins(6, 2, 2, 2);
    m_row->addWidget(m_message, 1);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("noticeClose"));
    close->setText(QStringLiteral(u"×"));
    close->setToolTip(QStringLiteral(u"閉じる"));
    close->setAccessibleName(QStringLiteral(u"閉じる"));
    close->setAutoRaise(true);
    m_row->addWidget(close);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeBar::tell(const QString &message)
{
    m_message->setText(message);
    m_message->setToolTip(message);
    setAccessibleDescription(message);
    show();
}

QString NoticeBar::message() const
{
    return m_message->text();
}

QPushButton *NoticeBar::addButton(const QString &caption, std::function<void()> act)
{
    auto *button = new QPushButton(caption, this);
    m_row->insertWidget(m_row->count() - 1, button);
    connect(button, &QPushButton::clicked, this, [this, act = std::move(act)] {
        hide();
        act();
    });
    return button;
}
