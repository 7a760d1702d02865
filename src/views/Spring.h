#pragma once

// A damped spring of unit mass, given the way designers give it: response (the period of the undamped
// oscillation, seconds) and damping fraction (1 settles without overshoot, less bounces).
// stiffness = (2π/response)², damping = 4π·dampingFraction/response.
// step() solves the motion exactly, so any frame interval gives the same path.
class Spring {
  public:
    Spring(double response = 0.3, double dampingFraction = 1.0, double value = 0.0);

    double value() const { return m_value; }
    double target() const { return m_target; }

    void setTarget(double target) { m_target = target; }
    // Jumps to value at rest (no animation).
    void reset(double value);
    // Advances by dt seconds.
    void step(double dt);
    bool isSettled(double tolerance = 1e-3) const;

  private:
    double m_stiffness;
    double m_damping;
    double m_value;
    double m_velocity = 0;
    double m_target;
};
