#pragma once

#include <QSize>
#include <QWidget>

class QLabel;

// The video page: a black area that keeps the engine's surface at the film's shape, however
// the window is sized. The engine's plain X11 output stretches the frame to the surface it
// is given, so the surface itself must have the right shape.
class VideoFrame : public QWidget
{
    Q_OBJECT
public:
    explicit VideoFrame(QWidget *parent = nullptr);

    QLabel *Surface() const { return surface; }
    // The picture's shape as shown; an empty size fills the page.
    void SetPictureSize(QSize size);

signals:
    // The surface took another size; the engine lays its subtitles out for the old one.
    void surfaceResized();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void PlaceSurface();

    QLabel *surface = nullptr;
    QSize pictureSize;
};
