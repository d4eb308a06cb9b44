// The bounded-error functions of FastMath.h against libm: the special arguments, where each must
// give what libm gives (NaN only where libm gives NaN, the same infinities, the same signed zeros),
// and dense sweeps over the ranges the engine uses, where the largest error is bounded.

#include "FastMath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace TarnwellPlugin;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMinSubnormal = std::numeric_limits<double>::denorm_min();
constexpr double kMinNormal = std::numeric_limits<double>::min();

struct Function {
    const char* name;
    std::function<double(double)> fast;
    std::function<double(double)> exact;
    double relative; // bound on |fast - exact| / |exact| ...
    double absolute; // ... or on |fast - exact| where exact is near 0, whichever is larger
};

double asinOfSinLibm(double x) { return std::asin(std::sin(x)); }

const std::vector<Function>& functions() {
    static const std::vector<Function> list = {
        {"exp", [](double x) { return Fast::exp(x); }, [](double x) { return std::exp(x); }, 1e-15, 0.0},
        {"exp2", [](double x) { return Fast::exp2(x); }, [](double x) { return std::exp2(x); }, 1e-15, 0.0},
        {"tanh", [](double x) { return Fast::tanh(x); }, [](double x) { return std::tanh(x); }, 1e-14, 0.0},
        {"sin", [](double x) { return Fast::sin(x); }, [](double x) { return std::sin(x); }, 1e-15, 5e-16},
        {"cos", [](double x) { return Fast::cos(x); }, [](double x) { return std::cos(x); }, 1e-15, 5e-16},
        {"sinAndSin2.sin", [](double x) { return Fast::sinAndSin2(x).sin; }, [](double x) { return std::sin(x); },
         1e-15, 5e-16},
        {"sinAndSin2.sin2", [](double x) { return Fast::sinAndSin2(x).sin2; },
         [](double x) { return std::sin(2.0 * x); }, 2e-15, 1e-15},
        // libm's asin(sin x) is itself off by up to sqrt(2 eps) ~ 2e-8 next to the peaks +-pi / 2.
        {"asinOfSin", [](double x) { return Fast::asinOfSin(x); }, asinOfSinLibm, 1e-15, 3e-8},
        {"log", [](double x) { return Fast::log(x); }, [](double x) { return std::log(x); }, 1e-15, 0.0},
    };
    return list;
}

// The error allowed at x, from the function's bounds; results in the subnormal range may be off by
// a few of the smallest subnormals.
double allowedError(const Function& f, double exact) {
    return std::max({f.relative * std::fabs(exact), f.absolute, 4.0 * kMinSubnormal});
}

std::string describe(const Function& f, double x, double fast, double exact) {
    char text[200];
    std::snprintf(text, sizeof text, "%s(%.17g): fast %.17g, libm %.17g", f.name, x, fast, exact);
    return text;
}

// Checks one argument; returns the error relative to the allowance (<= 1 passes).
double check(const Function& f, double x) {
    const double fast = f.fast(x);
    const double exact = f.exact(x);
    if (std::isnan(exact)) {
        EXPECT_TRUE(std::isnan(fast)) << describe(f, x, fast, exact);
        return 0.0;
    }
    EXPECT_FALSE(std::isnan(fast)) << describe(f, x, fast, exact);
    if (std::isinf(exact) || exact == 0.0) {
        EXPECT_EQ(fast, exact) << describe(f, x, fast, exact);
        EXPECT_EQ(std::signbit(fast), std::signbit(exact)) << describe(f, x, fast, exact);
        return 0.0;
    }
    const double ratio = std::fabs(fast - exact) / allowedError(f, exact);
    EXPECT_LE(ratio, 1.0) << describe(f, x, fast, exact);
    return ratio;
}

TEST(FastMathTest, SpecialArgumentsGiveWhatLibmGives) {
    const double arguments[] = {0.0,    -0.0,   1e-30, -1e-30, kMinSubnormal, -kMinSubnormal, 1e-310, -1e-310,
                                kMinNormal, 1.0, -1.0,  20.0,   -20.0,  1e6,  -1e6,  1e30, -1e30, kNaN,
                                -kNaN,  kInf,   -kInf, 700.0,  -700.0, 709.7, 709.8, 710.0, -745.0, -746.0,
                                1024.0, -1075.0, 1e300, -1e300};
    for (const Function& f : functions())
        for (const double x : arguments) check(f, x);
}

// A sweep of n points over [lo, hi], the ends included.
std::vector<double> sweep(double lo, double hi, int n) {
    std::vector<double> xs;
    for (int i = 0; i < n; ++i) xs.push_back(lo + (hi - lo) * i / (n - 1));
    return xs;
}

// A sweep of n points spaced evenly on a log scale over [lo, hi] (both > 0).
std::vector<double> logSweep(double lo, double hi, int n) {
    std::vector<double> xs;
    for (int i = 0; i < n; ++i) xs.push_back(lo * std::pow(hi / lo, static_cast<double>(i) / (n - 1)));
    return xs;
}

struct SweepCase {
    const char* function;
    std::vector<double> arguments;
};

const Function& byName(const std::string& name) {
    for (const Function& f : functions())
        if (name == f.name) return f;
    throw std::runtime_error("no function " + name);
}

TEST(FastMathTest, DenseSweepsStayWithinTheirBounds) {
    const std::vector<SweepCase> cases = {
        {"exp", sweep(-50.0, 50.0, 200001)},          // envelopes, coefficients
        {"exp", sweep(-745.5, 709.78, 100001)},       // down into the subnormals, up to overflow
        {"exp2", sweep(-20.0, 20.0, 100001)},
        {"exp2", sweep(-1075.0, 1023.99, 100001)},
        {"tanh", sweep(-25.0, 25.0, 400001)},         // every saturation stage
        {"tanh", sweep(-0.1, 0.1, 100001)},           // where the two forms meet
        {"tanh", logSweep(1e-300, 1.0, 20001)},
        {"sin", sweep(-30.0, 30.0, 400001)},          // phases, twice phases
        {"sin", sweep(-1e6, 1e6, 200001)},            // large arguments (libm's beyond 1e5)
        {"cos", sweep(-30.0, 30.0, 200001)},
        {"cos", sweep(-1e6, 1e6, 100001)},
        {"sinAndSin2.sin", sweep(-30.0, 30.0, 200001)},
        {"sinAndSin2.sin2", sweep(-30.0, 30.0, 200001)},
        {"sinAndSin2.sin2", sweep(-1e5, 1e5, 100001)},
        {"asinOfSin", sweep(-100.0, 100.0, 400001)},
        {"asinOfSin", sweep(-1e6, 1e6, 100001)},
        {"log", logSweep(kMinNormal, 1e308, 200001)},
        {"log", sweep(0.5, 2.0, 100001)},             // around 1, where log is small
    };
    for (const SweepCase& c : cases) {
        const Function& f = byName(c.function);
        double worst = 0.0;
        for (const double x : c.arguments) {
            worst = std::max(worst, check(f, x));
            if (::testing::Test::HasFailure()) return; // one message, not thousands
        }
        RecordProperty(std::string(c.function) + "_worst_of_bound", std::to_string(worst));
    }
}

// Away from the peaks, where asin is well-conditioned, libm's composition is accurate and the
// triangle must match it closely; and the triangle itself is exact: slope 1 through 0, period 2 pi.
TEST(FastMathTest, AsinOfSinIsTheTriangleWave) {
    for (const double x : sweep(-40.0, 40.0, 100001)) {
        const double reference = std::asin(std::sin(x));
        if (std::fabs(reference) < 1.4) {
            EXPECT_NEAR(Fast::asinOfSin(x), reference, 1e-15) << x;
        }
    }
    const double pi = 3.14159265358979323846;
    const struct {
        double x, expected;
    } table[] = {{0.0, 0.0}, {0.5, 0.5}, {pi / 2, pi / 2}, {pi, 0.0}, {pi - 0.25, 0.25}, {pi + 0.25, -0.25},
                 {-pi / 2, -pi / 2}, {2 * pi + 1.0, 1.0}, {3 * pi - 0.125, 0.125}, {-3 * pi + 0.5, -0.5}};
    for (const auto& row : table) EXPECT_NEAR(Fast::asinOfSin(row.x), row.expected, 4e-16) << row.x;
}

TEST(FastMathTest, TanhIsOddExactAtZeroAndSaturates) {
    EXPECT_EQ(Fast::tanh(0.0), 0.0);
    EXPECT_FALSE(std::signbit(Fast::tanh(0.0)));
    EXPECT_TRUE(std::signbit(Fast::tanh(-0.0)));
    for (const double x : sweep(0.0, 30.0, 30001)) EXPECT_EQ(Fast::tanh(-x), -Fast::tanh(x)) << x;
    for (const double x : {19.5, 20.0, 25.0, 1e3, 1e300, kInf}) {
        EXPECT_EQ(Fast::tanh(x), 1.0) << x;
        EXPECT_EQ(Fast::tanh(-x), -1.0) << x;
    }
    // Never beyond +-1, and rising (to within the rounding of the last place, as libm's).
    double previous = -1.0;
    for (const double x : sweep(-25.0, 25.0, 100001)) {
        const double t = Fast::tanh(x);
        EXPECT_LE(std::fabs(t), 1.0) << x;
        EXPECT_GE(t, previous - 2.3e-16) << x;
        previous = t;
    }
}

// The run form of tanh (two lanes at a time, a single last value) gives each value's scalar bits:
// the stages may gather their arguments into a run without changing one sample.
TEST(FastMathTest, TanhOverARunIsTheScalarTanh) {
    std::vector<double> xs = {0.0,   -0.0,  kMinSubnormal, -1e-310, 1e-30, 0.04, -0.04, 0.0399999999, 1.0, -1.0,
                              19.99, 20.0,  -20.0,         1e6,     -1e30, kInf, -kInf, kNaN,         -kNaN};
    for (const double x : sweep(-25.0, 25.0, 40001)) xs.push_back(x);
    for (const double x : logSweep(1e-300, 30.0, 4001)) {
        xs.push_back(x);
        xs.push_back(-x);
    }
    for (const int32_t count : {static_cast<int32_t>(xs.size()), static_cast<int32_t>(xs.size()) - 1, 1}) {
        std::vector<double> run(xs.begin(), xs.begin() + count);
        Fast::tanhInPlace(run.data(), count);
        for (int32_t i = 0; i < count; ++i) {
            const double scalar = Fast::tanh(xs[i]);
            if (std::isnan(scalar)) {
                EXPECT_TRUE(std::isnan(run[i])) << xs[i];
                continue;
            }
            EXPECT_EQ(std::bit_cast<uint64_t>(run[i]), std::bit_cast<uint64_t>(scalar)) << xs[i] << " of " << count;
        }
    }
}

TEST(FastMathTest, AsinOfSinOverARunIsTheScalarAsinOfSin) {
    // Around every multiple of pi / 2 (where the parity of n and the reduction turn), both sides of
    // the reduction's limit (where a lane goes to libm), and the special values.
    std::vector<double> xs = {0.0,   -0.0,     kMinSubnormal, -1e-310, 1e-30,   1.0,  -1.0,  99999.99, 100000.0,
                              -1e5,  100000.01, -100000.01,   1e6,     -1e30,   kInf, -kInf, kNaN,     -kNaN};
    for (const double x : sweep(-100.0, 100.0, 40001)) xs.push_back(x);
    for (const double x : sweep(-1.2e5, 1.2e5, 4001)) xs.push_back(x);
    for (int k = -64; k <= 64; ++k) {
        const double m = k * 1.5707963267948966;
        xs.push_back(m);
        xs.push_back(std::nextafter(m, kInf));
        xs.push_back(std::nextafter(m, -kInf));
    }
    for (const double x : logSweep(1e-300, 1e5, 4001)) {
        xs.push_back(x);
        xs.push_back(-x);
    }
    for (const int32_t count : {static_cast<int32_t>(xs.size()), static_cast<int32_t>(xs.size()) - 1, 1}) {
        // Shifted by one as well, so that each value meets each lane and each neighbour.
        for (const int32_t start : {0, 1}) {
            const int32_t n = count - start;
            if (n <= 0) continue;
            std::vector<double> run(xs.begin() + start, xs.begin() + start + n);
            Fast::asinOfSinInPlace(run.data(), n);
            for (int32_t i = 0; i < n; ++i) {
                const double x = xs[start + i];
                const double scalar = Fast::asinOfSin(x);
                if (std::isnan(scalar)) {
                    EXPECT_TRUE(std::isnan(run[i])) << x;
                    continue;
                }
                EXPECT_EQ(std::bit_cast<uint64_t>(run[i]), std::bit_cast<uint64_t>(scalar)) << x << " of " << n;
            }
        }
    }
}

TEST(FastMathTest, SinIsOddAndCosEven) {
    for (const double x : sweep(0.0, 100.0, 20001)) {
        EXPECT_EQ(Fast::sin(-x), -Fast::sin(x)) << x;
        EXPECT_EQ(Fast::cos(-x), Fast::cos(x)) << x;
        EXPECT_EQ(Fast::sinAndSin2(-x).sin, -Fast::sinAndSin2(x).sin) << x;
        EXPECT_EQ(Fast::sinAndSin2(-x).sin2, -Fast::sinAndSin2(x).sin2) << x;
    }
    EXPECT_TRUE(std::signbit(Fast::sinAndSin2(-0.0).sin));
    EXPECT_TRUE(std::signbit(Fast::sinAndSin2(-0.0).sin2));
    EXPECT_EQ(Fast::sin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(Fast::sin(-0.0)));
    EXPECT_EQ(Fast::cos(0.0), 1.0);
}

TEST(FastMathTest, ExpOverflowsAndUnderflowsWithoutNaN) {
    for (const double x : {709.79, 710.0, 800.0, 1e10, 1e300, kInf}) EXPECT_EQ(Fast::exp(x), kInf) << x;
    for (const double x : {-745.2, -746.0, -800.0, -1e10, -1e300, -kInf}) EXPECT_EQ(Fast::exp(x), 0.0) << x;
    for (const double x : {1024.0, 1100.0, 1e300, kInf}) EXPECT_EQ(Fast::exp2(x), kInf) << x;
    for (const double x : {-1076.0, -1200.0, -1e300, -kInf}) EXPECT_EQ(Fast::exp2(x), 0.0) << x;
    EXPECT_EQ(Fast::exp(0.0), 1.0);
    EXPECT_EQ(Fast::exp2(0.0), 1.0);
    for (int k = -1074; k <= 1023; ++k) EXPECT_EQ(Fast::exp2(k), std::ldexp(1.0, k)) << k; // exact powers
}

TEST(FastMathTest, LogSpecialCases) {
    EXPECT_EQ(Fast::log(1.0), 0.0);
    EXPECT_EQ(Fast::log(0.0), -kInf);
    EXPECT_EQ(Fast::log(-0.0), -kInf);
    EXPECT_TRUE(std::isnan(Fast::log(-1.0)));
    EXPECT_TRUE(std::isnan(Fast::log(-kInf)));
    EXPECT_EQ(Fast::log(kInf), kInf);
    EXPECT_EQ(Fast::log(kMinSubnormal), std::log(kMinSubnormal));
    for (int k = -1022; k <= 1023; ++k)
        EXPECT_NEAR(Fast::log(std::ldexp(1.0, k)), std::log(std::ldexp(1.0, k)), 2.3e-16 * std::abs(k) * 0.7) << k;
}

// x^y against libm: the error of e^(y ln x) grows with |y ln x|.
TEST(FastMathTest, PowStaysWithinItsBound) {
    double worst = 0.0;
    for (const double x : logSweep(1e-6, 1e6, 1001))
        for (const double y : sweep(-4.0, 4.0, 401)) {
            const double exact = std::pow(x, y);
            const double fast = Fast::pow(x, y);
            const double bound = (4e-16 * (1.0 + std::fabs(y * std::log(x))) + 1e-15) * exact;
            worst = std::max(worst, std::fabs(fast - exact) / bound);
            ASSERT_LE(std::fabs(fast - exact), bound) << x << "^" << y;
        }
    RecordProperty("pow_worst_of_bound", std::to_string(worst));
    // The cases that go to libm.
    const struct {
        double x, y;
    } table[] = {{0.0, 2.0},  {0.0, -1.0}, {-2.0, 3.0}, {-2.0, 0.5}, {1.0, kNaN}, {kNaN, 0.0}, {kInf, 2.0},
                 {2.0, kInf}, {0.5, kInf}, {kMinSubnormal, 0.5}, {10.0, 400.0}, {10.0, -400.0}, {1.0, 1e300}};
    for (const auto& row : table) {
        const double exact = std::pow(row.x, row.y);
        const double fast = Fast::pow(row.x, row.y);
        if (std::isnan(exact)) {
            EXPECT_TRUE(std::isnan(fast)) << row.x << "^" << row.y;
        } else if (std::isinf(exact) || exact == 0.0) {
            EXPECT_EQ(fast, exact) << row.x << "^" << row.y;
        } else {
            EXPECT_NEAR(fast, exact, 1e-13 * std::fabs(exact)) << row.x << "^" << row.y;
        }
    }
}

// The float tanh the stages call on float arguments: the double tanh rounded to float, so no
// further from the true value than libm's tanhf (which may be off by more than half an ulp).
TEST(FastMathTest, FloatTanhIsTheRoundedDoubleTanh) {
    double worstUlps = 0.0;
    for (const double xd : sweep(-12.0, 12.0, 200001)) {
        const float x = static_cast<float>(xd);
        const float fast = static_cast<float>(Fast::tanh(static_cast<double>(x)));
        EXPECT_EQ(fast, static_cast<float>(std::tanh(static_cast<double>(x)))) << x;
        const float libmFloat = std::tanh(x);
        const double ulp = std::nextafter(std::fabs(libmFloat), 2.0f) - std::fabs(libmFloat);
        worstUlps = std::max(worstUlps, std::fabs(fast - libmFloat) / ulp);
        EXPECT_LE(std::fabs(fast - libmFloat), 2.0 * ulp) << x;
        if (::testing::Test::HasFailure()) return;
    }
    RecordProperty("tanhf_worst_ulps", std::to_string(worstUlps));
}

} // namespace
