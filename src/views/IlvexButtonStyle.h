#pragma once

#include <QColor>
#include <QProxyStyle>

class QAbstractButton;

// The filled rounded button of the manage panel and the settings window: a caller-chosen tint that
// lightens while pressed, a medium 12 px one-line label, stretched to the width it is given; faded while
// disabled.
class IlvexButtonStyle : public QProxyStyle {
    Q_OBJECT

  public:
    IlvexButtonStyle(const QColor &tint, const QColor &foreground);

    QColor tint() const { return m_tint; }
    QColor foreground() const { return m_foreground; }

    // Gives the button this look (the style belongs to the button) and lets it fill the row.
    static IlvexButtonStyle *apply(QAbstractButton *button, const QColor &tint, const QColor &foreground);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget = nullptr) const override;

  private:
    QColor m_tint;
    QColor m_foreground;
};

// The red rounded button for deleting things. `isDisabled` only dims the look; the caller decides
// whether the button takes clicks.
class IlvexDestructiveButtonStyle : public QProxyStyle {
    Q_OBJECT

  public:
    explicit IlvexDestructiveButtonStyle(bool isDisabled);

    bool isDisabled() const { return m_isDisabled; }
    static QColor systemRed();
    static IlvexDestructiveButtonStyle *apply(QAbstractButton *button, bool isDisabled);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget = nullptr) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool m_isDisabled;
};
