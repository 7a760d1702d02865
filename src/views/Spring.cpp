#include "views/Spring.h"

#include <cmath>
#include <numbers>

Spring::Spring(double response, double dampingFraction, double value)
    : m_stiffness(std::pow(2 * std::numbers::pi / std::max(response, 1e-6), 2)),
      m_damping(4 * std::numbers::pi * dampingFraction / std::max(response, 1e-6)), m_value(value),
      m_target(value) {}

void Spring::reset(double value) {
    m_value = m_target = value;
    m_velocity = 0;
}

void Spring::step(double dt) {
    if (dt <= 0)
        return;
    // x'' + c x' + k x = 0 with x the distance from the target.
    const double w0 = std::sqrt(m_stiffness);
    const double zeta = m_damping / (2 * w0);
    const double x0 = m_value - m_target;
    const double v0 = m_velocity;
    double x = 0;
    double v = 0;
    if (zeta < 1 - 1e-9) {
        const double wd = w0 * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-zeta * w0 * dt);
        const double a = x0;
        const double b = (v0 + zeta * w0 * x0) / wd;
        const double c = std::cos(wd * dt);
        const double s = std::sin(wd * dt);
        x = decay * (a * c + b * s);
        v = decay * ((b * wd - zeta * w0 * a) * c - (a * wd + zeta * w0 * b) * s);
    } else if (zeta > 1 + 1e-9) {
        const double root = w0 * std::sqrt(zeta * zeta - 1);
        const double r1 = -zeta * w0 + root;
        const double r2 = -zeta * w0 - root;
        const double c2 = (v0 - r1 * x0) / (r2 - r1);
        const double c1 = x0 - c2;
        x = c1 * std::exp(r1 * dt) + c2 * std::exp(r2 * dt);
        v = c1 * r1 * std::exp(r1 * dt) + c2 * r2 * std::exp(r2 * dt);
    } else {
        const double b = v0 + w0 * x0;
        const double decay = std::exp(-w0 * dt);
        x = (x0 + b * dt) * decay;
        v = (b - w0 * (x0 + b * dt)) * decay;
    }
    m_value = m_target + x;
    m_velocity = v;
}

bool Spring::isSettled(double tolerance) const {
    return std::abs(m_value - m_target) < tolerance && std::abs(m_velocity) < tolerance * 10;
}
