#!/usr/bin/env python3
"""Independent reference values for tests/stats/StStat_test.cpp and uTavBeta_test.cpp.

First: the values of LnGamma (Numerical Recipes gammln, step by step in Python's 64-bit floats),
the exact continued fraction of the incomplete beta function and the exact BetaCdf at the 64-bit
points (mpmath), which the 64-bit code must give to rounding.
Second (needs mpmath): exact values of the incomplete beta function, quantiles and P(X > Y); the
values "at the float of x" are kept from the time the point was rounded to 32 bits.
The large counts (10^4 to 10^7 records) are in large_count_reference.py.
"""
import math
import struct


def f(v):
    return struct.unpack('f', struct.pack('f', v))[0]


def hexf(v):
    return '0x%08x' % struct.unpack('I', struct.pack('f', v))[0]


COF = [76.18009172947146, -86.50532032941678, 24.01409824083091, -1.231739572450155,
       0.001208650973866179, -0.000005395239384953]


def lngamma(x):
    t = x + 5.5
    t = t - (x + 0.5) * math.log(t)
    s = 1.000000000190015
    y = x
    for c in COF:
        y = y + 1.0
        s = s + c / y
    return math.log(2.5066282746310005 * s / x) - t


def guard(v):
    return f(1e-30) if abs(v) < f(1e-30) else v


def betacf(a, b, x, cap=100000):
    a, b, x = f(a), f(b), f(x)
    qab, qap, qam = f(a + b), f(a + 1), f(a - 1)
    c = f(1.0)
    d = f(1 / guard(f(1 - f(f(qab * x) / qap))))
    h = d
    for i in range(1, cap + 1):
        m = f(i)
        m2 = f(2 * m)
        aa = f(f(f(m * f(b - m)) * x) / f(f(qam + m2) * f(a + m2)))
        d = guard(f(1 + f(aa * d)))
        c = guard(f(1 + f(aa / c)))
        d = f(1 / d)
        h = f(f(h * d) * c)
        aa = f(f(f(-f(a + m) * f(qab + m)) * x) / f(f(a + m2) * f(qap + m2)))
        d = guard(f(1 + f(aa * d)))
        c = guard(f(1 + f(aa / c)))
        d = f(1 / d)
        de = f(d * c)
        h = f(h * de)
        if abs(f(de - 1)) < f(3e-7):
            return h
    raise ArithmeticError('173')


def betacdf(x, a, b):
    """The point x in 32 bits, the prefactor in 64 bits, the fraction in 32 bits."""
    x = f(x)
    bt = 0.0
    if x not in (0.0, 1.0):
        lnf = lngamma(a + b) - lngamma(a) - lngamma(b)
        bt = math.exp(lnf + a * math.log(x) + b * math.log(1.0 - x))
    if x < (a + 1.0) / (a + b + 2.0):
        r = 0.0 if bt == 0.0 else bt * betacf(a, b, x) / a
    else:
        r = 1.0 if bt == 0.0 else 1.0 - bt * betacf(b, a, f(1 - x)) / b
    return min(1.0, max(0.0, r))


def part1():
    import mpmath as mp
    mp.mp.dps = 40
    for x in (0.5, 1.5, 3.5, 10, 100, 0.001, 7.25, 30.6, 32563, 65001):
        print('LnGamma', x, repr(lngamma(x)), 'lgamma', repr(math.lgamma(x)))
    for a, b, x in ((50, 50, 0.49), (200, 180, 0.5), (30.6, 71.4, 0.3), (12, 15, 0.44)):
        a, b, x = mp.mpf(a), mp.mpf(b), mp.mpf(x)
        # The fraction is I_x(a, b) a B(a, b) / (x^a (1 - x)^b).
        cf = mp.betainc(a, b, 0, x, regularized=True) * a * mp.beta(a, b) / (x**a * (1 - x)**b)
        print('BetaContinuedFraction', a, b, x, repr(float(cf)))
    for x, a, b in ((0.3, 2, 5), (0.1, 0.5, 0.5), (0.9, 10, 3), (0.25, 7.5, 2.5), (0.7, 3, 3),
                    (0.35, 30.6, 71.4), (0.42, 12, 15), (0.0001, 1, 32562)):
        print('BetaCdf', x, a, b,
              repr(float(mp.betainc(mp.mpf(a), mp.mpf(b), 0, mp.mpf(x), regularized=True))))
    # Too large for betainc's series: 1/2 less the integral of the density from x to 1/2.
    a = b = mp.mpf(32500)
    lb = mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b)
    dens = lambda t: mp.exp((a - 1) * mp.log(t) + (b - 1) * mp.log(1 - t) - lb)
    for x in (0.49998,):
        print('BetaCdf', x, 32500, 32500, repr(float(0.5 - mp.quad(dens, [mp.mpf(x), 0.5]))))


def part2():
    import mpmath as mp
    mp.mp.dps = 40
    for x, a, b in ((0.3, 2, 5), (0.1, 0.5, 0.5), (0.9, 10, 3), (0.25, 7.5, 2.5), (0.7, 3, 3),
                    (0.0001, 1, 32562)):
        print('I_x(a, b)', x, a, b, float(mp.betainc(a, b, 0, mp.mpf(f(x)), regularized=True)))
    a = b = 32500
    lb = mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b)
    dens = lambda t: mp.exp((a - 1) * mp.log(t) + (b - 1) * mp.log(1 - t) - lb)
    print('I_x(32500, 32500) at float 0.49998', float(0.5 - mp.quad(dens, [mp.mpf(f(0.49998)), 0.5])))
    for p in (0.05, 0.1, 0.5, 0.9, 0.95):
        q = mp.findroot(lambda t: mp.betainc(3, 7, 0, t, regularized=True) - p, 0.3)
        print('Quantile of Beta(3, 7)', p, float(q))
    g = lambda x: mp.betainc(10, 30, 0, x, regularized=True) * x**29 * (1 - x)**9 / mp.beta(30, 10)
    print('P(Beta(30, 10) > Beta(10, 30))', float(mp.quad(g, [0, 0.5, 0.75, 1])))


if __name__ == '__main__':
    part1()
    try:
        part2()
    except ImportError:
        print('(mpmath not installed: the exact values are skipped)')
