#pragma once

#include "engine/EngineEvent.h"
#include "engine/EngineProcess.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

// The engine's position answers (a file's or a disc title's own time), each with when it came
// on the test's own clock. Checks of how long something took compare against these, made in
// the same run, so that a busy machine that slows the engine slows the yardstick with it.
class PositionAnswers : public QObject
{
public:
    struct Answer
    {
        double seconds = 0;
        qint64 atMs = 0;
    };

    explicit PositionAnswers(EngineProcess *engine)
    {
        clock.start();
        connect(engine, &EngineProcess::eventReceived, this, [this](const EngineEvent &event) {
            if ((event.kind == EngineEvent::Kind::PositionAnswer ||
                 event.kind == EngineEvent::Kind::TitlePositionAnswer) &&
                event.valueValid)
                answers << Answer{event.value, clock.elapsed()};
        });
    }

    qint64 NowMs() const { return clock.elapsed(); }

    // The longest time between two answers: how often the machine let the engine answer.
    qint64 WidestGapMs() const
    {
        qint64 widest = 0;
        for (qsizetype i = 1; i < answers.size(); ++i)
            widest = qMax(widest, answers[i].atMs - answers[i - 1].atMs);
        return widest;
    }

    // How much later than the engine's last answer promised a source of LENGTHSECONDS ended
    // at ENDEDATMS: the time after the answer, less what the source had left to play then.
    qint64 LateEndMs(double lengthSeconds, qint64 endedAtMs) const
    {
        const Answer &last = answers.last();
        return endedAtMs - last.atMs - qint64((lengthSeconds - last.seconds) * 1000);
    }

    QList<Answer> answers;

private:
    QElapsedTimer clock;
};
