// The lookup tables of the drivers the simulated frontend acts out, and
// the drivers' own lookups through them (each as its source in Linux 6.1
// does it), shared by their s/n and their strength. Platform-neutral.
#pragma once
#include <cmath>
#include <cstddef>

// A driver's table of (real, read) rows, and the register that reads as
// `real`: interpolated between the rows around it, the ends held.
struct TableRow {
    int real;
    int read;
};

template <size_t count>
inline int registerFor(const TableRow (&table)[count], double real)
{
    const bool rising = table[count - 1].real > table[0].real;
    const auto before = [&](double a, double b) { return rising ? a <= b : a >= b; };
    if (before(real, table[0].real)) return table[0].read;
    for (size_t i = 1; i < count; ++i) {
        if (!before(real, table[i].real)) continue;
        const double share = (real - table[i - 1].real) / (table[i].real - table[i - 1].real);
        return static_cast<int>(std::lround(table[i - 1].read + share * (table[i].read - table[i - 1].read)));
    }
    return table[count - 1].read;
}

// stv090x_table_lookup (stv090x.c), a search that assumes rows in order.
template <size_t count>
inline int stv090xTableLookup(const TableRow (&tab)[count], int val)
{
    int max = static_cast<int>(count) - 1, min = 0, res = 0;
    if ((val >= tab[min].read && val < tab[max].read) || (val >= tab[max].read && val < tab[min].read)) {
        while ((max - min) > 1) {
            const int med = (max + min) / 2;
            if ((val >= tab[min].read && val < tab[med].read) || (val >= tab[med].read && val < tab[min].read))
                max = med;
            else min = med;
        }
        res =
            ((val - tab[min].read) * (tab[max].real - tab[min].real) / (tab[max].read - tab[min].read)) + tab[min].real;
    } else if (tab[min].read < tab[max].read) {
        if (val < tab[min].read) res = tab[min].real;
        else if (val >= tab[max].read) res = tab[max].real;
    } else {
        if (val >= tab[min].read) res = tab[min].real;
        else if (val < tab[max].read) res = tab[max].real;
    }
    return res;
}

// stb0899_table_lookup (stb0899_drv.c).
template <size_t count>
inline int stb0899TableLookup(const TableRow (&tab)[count], int val)
{
    int min = 0, max = static_cast<int>(count) - 1, res = 0;
    if (val < tab[min].read) res = tab[min].real;
    else if (val >= tab[max].read) res = tab[max].real;
    else {
        while ((max - min) > 1) {
            const int med = (max + min) / 2;
            if (val >= tab[min].read && val < tab[med].read) max = med;
            else min = med;
        }
        res =
            ((val - tab[min].read) * (tab[max].real - tab[min].real) / (tab[max].read - tab[min].read)) + tab[min].real;
    }
    return res;
}
