#!/usr/bin/env python3
"""Reference values for tests/stats/LargeCount_test.cpp: the beta posteriors of tables of 10^4 to
10^7 records, evaluated with mpmath at 30 digits. Its output is pasted into the test as it is.

The distributions, computed in 64-bit floats as the program does (their parameters are printed to
17 digits, so the test uses the very same doubles): for N records of which k hold the class value,
the context posterior with m = 2 and m(prior) = 1 (prior 1/2):
    q0 = (k + 0.5)/(N + 1), alpha = k + 2 q0, beta = N - k + 2 (1 - q0);
and for a rule of nr of those records with kr of them holding the value, the m-estimate with the
context's mean as prior: q = alpha/(alpha + beta), alpha_r = kr + 2 q, beta_r = nr - kr + 2 (1 - q).
Class rates 0.5, 0.3, 0.01, none (k = 0) and all (k = N); rules of 100, N/10 and N/2 records whose
rate lies one of their own standard errors above the context's (half of one below for N/2).

For each distribution: Mean, StdDev, the Cdf at three points (mean - 2 sd, mean, mean + sd, kept
inside (0, 1)) and the quantiles at 0.025 and 0.975. For each rule against its context:
ProbAbove, the sum over n = ProbAboveBins(smaller sd) bins of the rule's mass in bin i times the
context's Cdf at the bin's lower edge i - 1 (edges the 64-bit k/n), and Overlap, S/(2 - S) with S
the sum over n = OverlapBins(smaller sd) bins of the smaller of the two masses. Both sums are
evaluated in full, not in windows: every edge where the context's Cdf lies between 1e-25 and
1 - 1e-25, and beyond that the rule's mass in one piece (what is left out is below 1e-24).

The regularised incomplete beta function I_x(a, b):
- with a parameter below 1000: the series of positive terms
  I_x(a, b) = x^a (1 - x)^b / (a B(a, b)) sum_n (a + b)_n / (a + 1)_n x^n
  in the orientation where it converges quickly (1 where the small parameter's side is beyond its
  last 1e-30 of mass);
- both parameters at least 1000: the integral of the density (mpmath quad, in pieces of one
  standard deviation) from the mean, where I is computed once, from 50 standard deviations below.
Quantiles: Newton's method (large parameters) or bisection in ln x or ln(1 - x) (small ones).
Runs in a few minutes.
"""
import math

import mpmath as mp

mp.mp.dps = 30
SMALL = 1000


def prob_above_bins(s):
    k = math.ceil(0.02 / s)
    if not k > 1:
        return 200
    return min(k, 1000000 // 200) * 200


def overlap_bins(s):
    k = math.ceil(0.004 / s)
    if not k > 1:
        return 1000
    return min(k, 1000000 // 1000) * 1000


class Dist:
    def __init__(self, alpha, beta):
        self.alpha, self.beta = alpha, beta  # 64-bit floats
        total = alpha + beta
        self.mean64 = alpha / total
        self.sd64 = math.sqrt(alpha * beta / (total * total * (total + 1.0)))
        self.a, self.b = mp.mpf(alpha), mp.mpf(beta)
        self.p = self.a / (self.a + self.b)
        self.sd = mp.sqrt(self.a * self.b / ((self.a + self.b) ** 2 * (self.a + self.b + 1)))
        self.lnB = mp.loggamma(self.a) + mp.loggamma(self.b) - mp.loggamma(self.a + self.b)
        self.large = min(alpha, beta) >= SMALL
        self.at_mean = None
        if self.large:
            self.at_mean = self.integral(max(mp.mpf(0), self.p - 50 * self.sd), self.p)

    def density(self, t):
        return mp.exp((self.a - 1) * mp.log(t) + (self.b - 1) * mp.log1p(-t) - self.lnB)

    def integral(self, u, v):
        """The mass from u to v (u <= v), in pieces of one standard deviation."""
        if u >= v:
            return mp.mpf(0)
        pts = [u]
        while pts[-1] + self.sd < v:
            pts.append(pts[-1] + self.sd)
        pts.append(v)
        return mp.fsum(mp.quad(self.density, [pts[i], pts[i + 1]]) for i in range(len(pts) - 1))

    def cdf(self, x):
        x = mp.mpf(x)
        if x <= 0:
            return mp.mpf(0)
        if x >= 1:
            return mp.mpf(1)
        if self.large:
            z = (x - self.p) / self.sd
            if z < -50:
                return mp.mpf(0)
            if z > 50:
                return mp.mpf(1)
            if x <= self.p:
                return self.at_mean - self.integral(x, self.p)
            return self.at_mean + self.integral(self.p, x)
        return small_cdf(self.a, self.b, x)


def series(a, b, x):
    """x^a (1 - x)^b / (a B(a, b)) sum_n (a + b)_n / (a + 1)_n x^n."""
    lnpre = a * mp.log(x) + b * mp.log1p(-x) - mp.log(a) - (
        mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b))
    total = mp.mpf(0)
    term = mp.mpf(1)
    n = 0
    while True:
        total += term
        ratio = (a + b + n) / (a + 1 + n) * x
        term *= ratio
        n += 1
        if ratio < 1 and term < total * mp.mpf(10) ** -32:
            break
        if n > 2000000:
            raise ArithmeticError('series does not converge')
    return mp.exp(lnpre) * total


def small_cdf(a, b, x):
    flip = a > b
    s, L, xs = (b, a, 1 - x) if flip else (a, b, x)
    if xs <= (s + 1) / (s + L + 2) or L >= SMALL:
        if L * xs > s + 60 * mp.sqrt(s + 1) + 300:
            val = mp.mpf(1)  # beyond the last 1e-30 of the small side's mass
        else:
            val = series(s, L, xs)
    else:
        val = 1 - series(L, s, 1 - xs)
    return 1 - val if flip else val


def quantile(d, prob):
    prob = mp.mpf(prob)
    if d.large:
        x = d.p + d.sd * mp.sqrt(2) * mp.erfinv(2 * prob - 1)
        for _ in range(60):
            step = (d.cdf(x) - prob) / d.density(x)
            x -= step
            if abs(step) < mp.mpf(10) ** -25 * x:
                break
        return x
    # Bisection in ln x (mass near 0) or ln(1 - x) (mass near 1).
    lower_heavy = d.a <= d.b
    lo, hi = mp.mpf(-1e7), mp.mpf(0)
    for _ in range(140):
        mid = (lo + hi) / 2
        x = mp.exp(mid) if lower_heavy else 1 - mp.exp(mid)
        below = d.cdf(x) < prob
        if lower_heavy == below:
            lo = mid
        else:
            hi = mid
    mid = (lo + hi) / 2
    return mp.exp(mid) if lower_heavy else 1 - mp.exp(mid)


_windows = {}


def edges_range(y, n):
    """(i0, i1): the last edge with Y's Cdf below 1e-25 and the first above 1 - 1e-25."""
    key = (y.alpha, y.beta, n)
    if key in _windows:
        return _windows[key]
    tiny = mp.mpf(10) ** -25

    def first_at_least(level):
        lo, hi = 0, n  # cdf(edge 0) = 0 < level <= cdf(edge n) = 1
        while hi - lo > 1:
            mid = (lo + hi) // 2
            if y.cdf(mid / n) >= level:
                hi = mid
            else:
                lo = mid
        return hi

    i0 = first_at_least(tiny) - 1
    i1 = first_at_least(1 - tiny)
    _windows[key] = (i0, i1)
    return i0, i1


def cdfs_at(d, xs):
    """d's Cdf at the increasing points xs."""
    if not d.large:
        return [d.cdf(x) for x in xs]
    out = [d.cdf(xs[0])]
    for u, v in zip(xs, xs[1:]):
        z = max(abs(u - d.p), abs(v - d.p)) / d.sd
        out.append(d.cdf(v) if z > 45 else out[-1] + d.integral(mp.mpf(u), mp.mpf(v)))
    return out


def prob_above(x, y):
    n = prob_above_bins(min(x.sd64, y.sd64))
    i0, i1 = edges_range(y, n)
    es = [k / n for k in range(i0, i1 + 1)]
    fx = cdfs_at(x, es)
    fy = cdfs_at(y, es)
    total = mp.fsum((fx[j] - fx[j - 1]) * fy[j - 1] for j in range(1, len(es)))
    return total + (1 - fx[-1]), n


def overlap(x, y):
    n = overlap_bins(min(x.sd64, y.sd64))
    i0, i1 = edges_range(y, n)
    es = [k / n for k in range(i0, i1 + 1)]
    fx = cdfs_at(x, es)
    fy = cdfs_at(y, es)
    s = mp.fsum(min(fx[j] - fx[j - 1], fy[j] - fy[j - 1]) for j in range(1, len(es)))
    return s / (2 - s), n


def context(N, k):
    q0 = (k + 0.5) / (N + 1.0)
    return Dist(k + 2.0 * q0, (N - k) + 2.0 * (1.0 - q0))


def rule(ctx, nr, kr):
    q = ctx.alpha / (ctx.alpha + ctx.beta)
    return Dist(kr + 2.0 * q, (nr - kr) + 2.0 * (1.0 - q))


def points(d):
    out = []
    for z in (-2, 0, 1):
        x = d.mean64 + z * d.sd64
        if not 0.0 < x < 1.0:
            x = d.mean64
        out.append(x)
    return out


def fmt(v):
    return repr(float(v))


def main():
    dists = []
    pairs = []
    for N in (10**4, 10**5, 10**6, 10**7):
        for name, k in (('0.5', N // 2), ('0.3', 3 * N // 10), ('0.01', N // 100), ('none', 0),
                        ('all', N)):
            ctx = context(N, k)
            dists.append((f'N {N} rate {name} context', ctx))
            rate = k / N
            for nr, shift in ((100, 1.0), (N // 10, 1.0), (N // 2, -0.5)):
                kr = round(nr * rate + shift * math.sqrt(nr * rate * (1 - rate)))
                kr = min(max(kr, 0), nr)
                r = rule(ctx, nr, kr)
                dists.append((f'N {N} rate {name} rule {kr}/{nr}', r))
                pairs.append((f'N {N} rate {name} rule {kr}/{nr}', r, ctx))
    print('// Distributions: {alpha, beta, mean, sd, {x1, x2, x3}, {cdf1, cdf2, cdf3}, q025, q975}')
    for label, d in dists:
        xs = points(d)
        cs = [d.cdf(x) for x in xs]
        q1, q2 = quantile(d, 0.025), quantile(d, 0.975)
        print(f'    {{{fmt(d.alpha)}, {fmt(d.beta)}, {fmt(d.p)}, {fmt(d.sd)}, '
              f'{{{", ".join(fmt(x) for x in xs)}}}, {{{", ".join(fmt(c) for c in cs)}}}, '
              f'{fmt(q1)}, {fmt(q2)}}},  // {label}', flush=True)
    print('// Pairs: {rule alpha, rule beta, context alpha, context beta, ProbAbove, Overlap}')
    for label, r, ctx in pairs:
        pa, n1 = prob_above(r, ctx)
        ov, n2 = overlap(r, ctx)
        print(f'    {{{fmt(r.alpha)}, {fmt(r.beta)}, {fmt(ctx.alpha)}, {fmt(ctx.beta)}, '
              f'{fmt(pa)}, {fmt(ov)}}},  // {label}, bins {n1} and {n2}', flush=True)


if __name__ == '__main__':
    main()
