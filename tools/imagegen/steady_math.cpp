#include "steady_math.h"

#include <cmath>

namespace {

const double Pi = 3.14159265358979323846;
const double Ln2Hi = 6.93147180369123816490e-01;  // ln 2 split so k * Ln2Hi is exact
const double Ln2Lo = 1.90821492927058770002e-10;

// sin on [-pi/2, pi/2] by its Taylor series (terms to x^21).
double SinReduced(double x) {
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n <= 10; ++n) {
        term *= -x2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

// atan on [-1, 1]: two half-angle steps bring |z| under tan(pi/16), then the series.
double AtanReduced(double z) {
    for (int i = 0; i < 2; ++i) z = z / (1.0 + std::sqrt(1.0 + z * z));
    const double z2 = z * z;
    double term = z;
    double sum = z;
    for (int n = 1; n <= 12; ++n) {
        term *= -z2;
        sum += term / (2.0 * n + 1.0);
    }
    return 4.0 * sum;
}

}  // namespace

double Exp(double x) {
    if (x > 700.0) x = 700.0;
    if (x < -700.0) return 0.0;
    const double k = std::floor(x / 0.69314718055994530942 + 0.5);
    const double r = (x - k * Ln2Hi) - k * Ln2Lo;  // |r| <= ln2 / 2
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 14; ++n) {
        term *= r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double Log(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // x = m * 2^e, m in [0.5, 1)
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        --e;
    }
    const double s = (m - 1.0) / (m + 1.0);  // log m = 2 atanh s, |s| < 0.172
    const double s2 = s * s;
    double power = s;
    double sum = 0.0;
    for (int n = 0; n <= 11; ++n) {
        sum += power / (2.0 * n + 1.0);
        power *= s2;
    }
    return 2.0 * sum + e * Ln2Hi + e * Ln2Lo;
}

double Pow(double x, double y) {
    if (x <= 0.0) return 0.0;
    return Exp(y * Log(x));
}

double Sin(double x) {
    double r = x - 2.0 * Pi * std::floor(x / (2.0 * Pi) + 0.5);  // [-pi, pi]
    if (r > Pi / 2.0) r = Pi - r;
    if (r < -Pi / 2.0) r = -Pi - r;
    return SinReduced(r);
}

double Cos(double x) { return Sin(x + Pi / 2.0); }

double Atan2(double y, double x) {
    if (x == 0.0 && y == 0.0) return 0.0;
    if (std::fabs(y) <= std::fabs(x)) {
        const double a = AtanReduced(y / x);
        if (x > 0.0) return a;
        return y >= 0.0 ? a + Pi : a - Pi;
    }
    const double a = AtanReduced(x / y);
    return y > 0.0 ? Pi / 2.0 - a : -Pi / 2.0 - a;
}

double Asin(double x) { return Atan2(x, std::sqrt((1.0 - x) * (1.0 + x))); }

double Acos(double x) { return Atan2(std::sqrt((1.0 - x) * (1.0 + x)), x); }

double Hypot(double x, double y) { return std::sqrt(x * x + y * y); }
