#pragma once

#include <QObject>
#include <QTimer>

// When to ask the engine to lay the subtitle line out again after the surface it draws into
// changed size (SlaveCommand::RedrawSubtitlesKeepPause says why). The engine learns the new
// size from its window a frame later, and a window sized to full screen comes in a few steps,
// so the asks wait until the size has held a while: the first once the engine has drawn a few
// frames at the new size, the second after it has loaded its font for that size (and, when
// paused, to show the line on the frame the first ask drew).
class SubtitleRedrawSchedule : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstAskMs = 300;
    static constexpr int SecondAskMs = 1200;

    explicit SubtitleRedrawSchedule(QObject *parent = nullptr);

    // The surface changed size: the asks start over from now.
    void SurfaceResized();
    void Cancel();
    bool Pending() const { return first.isActive() || second.isActive(); }

signals:
    void redrawDue();

private:
    QTimer first;
    QTimer second;
};
