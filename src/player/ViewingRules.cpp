#include "player/ViewingRules.h"

#include "engine/FormatTime.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace {

// Two speeds closer than this are one step: the engine answers with six decimals.
constexpr double SpeedTolerance = 0.001;

} // namespace

QVector<double> SpeedSteps()
{
    return {0.5, 0.75, 1.0, 1.25, 1.5, 2.0};
}

double BoundedSpeed(double speed)
{
    if (!std::isfinite(speed))
        return NormalSpeed;
    return qBound(MinimumSpeed, speed, MaximumSpeed);
}

bool SameSpeed(double a, double b)
{
    return std::fabs(a - b) < SpeedTolerance;
}

double SteppedSpeed(double current, int steps)
{
    const QVector<double> all = SpeedSteps();
    double speed = BoundedSpeed(current);
    for (; steps > 0; --steps) {
        auto above = std::find_if(all.begin(), all.end(), [speed](double step) {
            return step > speed && !SameSpeed(step, speed);
        });
        speed = above == all.end() ? all.last() : *above;
    }
    for (; steps < 0; ++steps) {
        auto below = std::find_if(all.rbegin(), all.rend(), [speed](double step) {
            return step < speed && !SameSpeed(step, speed);
        });
        speed = below == all.rend() ? all.first() : *below;
    }
    return speed;
}

int SteppedDelayMs(int currentMs, int byMs)
{
    const long long moved = static_cast<long long>(currentMs) + byMs;
    // Rounded half away from zero to a whole step, the same way on both sides of zero.
    const long long magnitude = ((moved < 0 ? -moved : moved) + DelayStepMs / 2) / DelayStepMs;
    const long long rounded = (moved < 0 ? -magnitude : magnitude) * DelayStepMs;
    return int(std::clamp<long long>(rounded, -MaximumDelayMs, MaximumDelayMs));
}

bool IsInterlacedSource(const InterlaceClues &clues)
{
    switch (clues.kind) {
    case SourceKind::Dvd:
        return true;
    case SourceKind::BluRay:
        // 480i, 576i and 1080i; the progressive formats and unknown ones play as they are.
        return clues.blurayVideoFormat == 1 || clues.blurayVideoFormat == 2 ||
               clues.blurayVideoFormat == 4;
    case SourceKind::MediaFile:
        return clues.fieldOrder == QLatin1String("top first") ||
               clues.fieldOrder == QLatin1String("bottom first") ||
               // Coded as top field first, shown bottom first, or the other way round.
               clues.fieldOrder == QLatin1String("top coded first (swapped)") ||
               clues.fieldOrder == QLatin1String("bottom coded first (swapped)");
    }
    return false;
}

std::optional<double> AspectRatioOf(AspectChoice choice)
{
    switch (choice) {
    case AspectChoice::Auto:
        return std::nullopt;
    case AspectChoice::FourThree:
        return 4.0 / 3.0;
    case AspectChoice::SixteenNine:
        return 16.0 / 9.0;
    case AspectChoice::Scope:
        return 2.35;
    }
    return std::nullopt;
}

QSize ShapedPictureSize(QSize engineSize, AspectChoice choice)
{
    const std::optional<double> ratio = AspectRatioOf(choice);
    if (!ratio || engineSize.isEmpty())
        return engineSize;
    return QSize(int(std::lround(engineSize.height() * *ratio)), engineSize.height());
}

QString ChapterRowText(int number, const QString &name, qint64 startSec)
{
    QString shown = name.simplified();
    const QString time = FormatTime(qMax<qint64>(startSec, 0));
    if (shown.isEmpty())
        return QStringLiteral("%1. %2").arg(number).arg(time);
    return QStringLiteral("%1. %2 \u2013 %3").arg(number).arg(shown, time);
}
