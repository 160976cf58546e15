#!/usr/bin/env python3
"""Reference "Signif" values for tests/stats/uTavFreqTable_test.cpp, computed in 64-bit floats.

The table of the test: 65,001 records; class C (SET:1..6) is 1 in records 0..25,999, 2 in
26,000..45,499, 3 in 45,500..58,499, 4 in 58,500..64,989 and 5 in the last 11 (code 6 has no
records); field F (SET:1..2) is 1 when r % 5 == 0 or (C is 1 and r % 400 == 1), else 2.
Settings m = 2, m(prior) = 1, no context filter. For each class value and the rules "Complete set"
and "F= 1", the distributions of the frequency table and the bin sum of ProbAbove over the same
grid (n = 200 max(1, ceil(0.02 / smaller sd)), at most 1,000,000; edges the 32-bit float of k / n),
with the regularised incomplete beta function in 64 bits: math.lgamma and the continued fraction
to a tolerance of 1e-15. Terms below 1e-17 are left out. mpmath (if installed) checks the
incomplete beta function at a few points.
"""
import math
import struct


def f32(v):
    return struct.unpack('f', struct.pack('f', v))[0]


def betacf(a, b, x):
    tiny = 1e-300
    qab, qap, qam = a + b, a + 1.0, a - 1.0
    c = 1.0
    d = 1.0 - qab * x / qap
    d = 1.0 / (tiny if abs(d) < tiny else d)
    h = d
    for m in range(1, 200000):
        m2 = 2 * m
        aa = m * (b - m) * x / ((qam + m2) * (a + m2))
        d = 1.0 + aa * d
        d = tiny if abs(d) < tiny else d
        c = 1.0 + aa / c
        c = tiny if abs(c) < tiny else c
        d = 1.0 / d
        h *= d * c
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2))
        d = 1.0 + aa * d
        d = tiny if abs(d) < tiny else d
        c = 1.0 + aa / c
        c = tiny if abs(c) < tiny else c
        d = 1.0 / d
        de = d * c
        h *= de
        if abs(de - 1.0) < 1e-15:
            return h
    raise ArithmeticError('no convergence')


def cdf(x, a, b):
    """I_x(a, b) in 64 bits."""
    if x <= 0.0:
        return 0.0
    if x >= 1.0:
        return 1.0
    ln_bt = (math.lgamma(a + b) - math.lgamma(a) - math.lgamma(b) + a * math.log(x)
             + b * math.log1p(-x))
    if ln_bt < -745:
        return 0.0 if x < (a + 1) / (a + b + 2) else 1.0
    bt = math.exp(ln_bt)
    if x < (a + 1) / (a + b + 2):
        return bt * betacf(a, b, x) / a
    return 1.0 - bt * betacf(b, a, 1.0 - x) / b


def bins(s):
    k = math.ceil(0.02 / s)
    if not k > 1:
        return 200
    return min(k, 1000000 // 200) * 200


def sd(a, b):
    t = a + b
    return math.sqrt(a * b / (t * t * (t + 1)))


def first_at_least(fn, level, lo, hi):
    """The smallest k in [lo, hi] with fn(k) >= level (fn rising), or hi + 1."""
    hi += 1
    while lo < hi:
        mid = (lo + hi) // 2
        if fn(mid) >= level:
            hi = mid
        else:
            lo = mid + 1
    return lo


def prob_above(x, y):
    """Sum over bins of (X(e_i) - X(e_{i-1})) Y(e_{i-1}), X the rule's distribution, Y the
    context's. Bins with Y below 1e-17 are left out, those with Y above 1 - 1e-16 count as 1."""
    n = bins(min(sd(*x), sd(*y)))
    edge = lambda k: f32(k / n)
    cy = lambda k: cdf(edge(k), *y)
    lo = first_at_least(cy, 1e-17, 0, n)
    hi = first_at_least(cy, 1.0 - 1e-16, lo, n)
    total = 0.0
    low = cdf(edge(max(lo - 1, 0)), *x)
    for i in range(max(lo, 1), hi + 1):
        high = cdf(edge(i), *x)
        total += (high - low) * cy(i - 1)
        low = high
    return total + (1.0 - low)


def table():
    classes = []
    in_f = []
    for r in range(65001):
        c = 1 if r < 26000 else 2 if r < 45500 else 3 if r < 58500 else 4 if r < 64990 else 5
        classes.append(c)
        in_f.append(r % 5 == 0 or (c == 1 and r % 400 == 1))
    return classes, in_f


def main():
    classes, in_f = table()
    d = len(classes)
    d_rule = sum(in_f)
    mp_, m = 1.0, 2.0
    for rule in ('Complete set', 'F= 1'):
        for k in range(1, 7):
            n = classes.count(k)
            q = (n + 0.5 * mp_) / (d + mp_)
            first = (n + m * q, (d - n) + (1 - q) * m)
            if rule == 'Complete set':
                n_r, d_r = n, d
            else:
                n_r = sum(1 for c, f in zip(classes, in_f) if f and c == k)
                d_r = d_rule
            second = (n_r + m * q, (d_r - n_r) + (1 - q) * m)
            print('%-12s class %d  n %5d of %5d, under rule %5d of %5d  Signif %.17g' %
                  (rule, k, n, d, n_r, d_r, prob_above(second, first)))
    try:
        import mpmath
    except ImportError:
        print('(mpmath not installed: the check of the 64-bit incomplete beta is skipped)')
        return
    mpmath.mp.dps = 40
    for x, a, b in ((0.4, 26000.6, 39002.4), (0.3993, 26000.6, 39002.4), (0.0002, 11.0, 64992.0),
                    (0.38, 4000.0, 6000.0)):
        a, b, x = mpmath.mpf(a), mpmath.mpf(b), mpmath.mpf(x)
        ln_b = mpmath.loggamma(a) + mpmath.loggamma(b) - mpmath.loggamma(a + b)
        dens = lambda t: mpmath.exp((a - 1) * mpmath.log(t) + (b - 1) * mpmath.log(1 - t) - ln_b)
        mean = a / (a + b)
        s = mpmath.sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
        lo = max(mean - 60 * s, mpmath.mpf(0))
        points = [lo + (x - lo) * i / 40 for i in range(41)] if x > lo else [x, x]
        exact = mpmath.quad(dens, points)
        print('check I_%g(%g, %g): 64-bit %.17g, mpmath %.17g' %
              (float(x), float(a), float(b), cdf(float(x), float(a), float(b)), float(exact)))

if __name__ == '__main__':
    main()
