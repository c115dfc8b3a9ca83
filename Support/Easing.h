#pragma once

#include <QEasingCurve>

#include <algorithm>
#include <cmath>

// The standard timing curves of the app's animations (cubic Béziers through
// (0, 0) and (1, 1)), as pure functions of a linear progress. A progress
// outside 0...1, or not a number, is taken as the nearest end (0 for NaN).
namespace Easing {

inline QEasingCurve bezier(double x1, double y1, double x2, double y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

inline double clampedProgress(double progress)
{
    return std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
}

inline double easeIn(double progress)
{
    static const QEasingCurve curve = bezier(0.42, 0, 1, 1);
    return curve.valueForProgress(clampedProgress(progress));
}

inline double easeOut(double progress)
{
    static const QEasingCurve curve = bezier(0, 0, 0.58, 1);
    return curve.valueForProgress(clampedProgress(progress));
}

inline double easeInOut(double progress)
{
    static const QEasingCurve curve = bezier(0.42, 0, 0.58, 1);
    return curve.valueForProgress(clampedProgress(progress));
}

} // namespace Easing
