#include "ui/VideoFrame.h"

#include "player/PictureFit.h"

#include <QLabel>

VideoFrame::VideoFrame(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
    surface = new QLabel(this);
    // The engine paints into this widget's own X window, so it needs one of its own and
    // Qt must not paint over the engine's picture.
    surface->setAttribute(Qt::WA_NativeWindow);
    surface->setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface->setStyleSheet(QStringLiteral("background-color: rgb(0, 0, 0);"));
}

void VideoFrame::SetPictureSize(QSize size)
{
    pictureSize = size;
    PlaceSurface();
}

void VideoFrame::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    PlaceSurface();
}

void VideoFrame::PlaceSurface()
{
    const QSize before = surface->size();
    surface->setGeometry(LetterboxRect(size(), pictureSize));
    if (surface->size() != before)
        emit surfaceResized();
}
