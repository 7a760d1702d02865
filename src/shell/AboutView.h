#pragma once

#include <QString>
#include <QWidget>

class AppState;

// The About window: Ilvex's badge, its name, the maker's byline, the version line and a footer, on the
// settings' blue gradient. One window, kept when closed; its texts follow the language.
class AboutView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int viewWidth = 320;
    static constexpr int viewHeight = 276;

    // version and build: as shown on the version line; empty ones read "1.0" and "1".
    AboutView(AppState *state, const QString &version, const QString &build, bool showsInTaskbar,
              QWidget *parent = nullptr);

    QString versionLine() const;
    static QString footer();
    // Which service learns a link's host name, and where that is switched off.
    static QString privacyNote();
    // Retitles it ("About Ilvex"), shows it and brings it to the front.
    void present();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void paintBadge(QPainter &painter, const QPointF &centre);

    QString m_version;
    QString m_build;
};
