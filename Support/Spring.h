#pragma once

// An under-damped spring released from rest towards 1: its factor starts at
// 0, may overshoot 1 and settles on it.
class Spring {
public:
    // `response`: the period of the undamped spring, seconds; `damping`: the
    // damping fraction, below 1.
    Spring(double response, double damping);
    // The same spring given as a mass on a spring with a damper; the damping
    // must leave it under-damped.
    static Spring withStiffness(double stiffness, double damping, double mass);

    // How long the spring takes to come to rest: from then on it stays
    // within `tolerance` of the travel from its target.
    double settlingDuration(double tolerance = 0.001) const;

    // The factor `seconds` after release; 0 before it.
    double factor(double seconds) const;

    double decay() const { return m_decay; }
    double angularFrequency() const { return m_angularFrequency; }
    double sineCoefficient() const { return m_sineCoefficient; }

private:
    double m_decay;
    double m_angularFrequency;
    double m_sineCoefficient;
};
