// The sine, cosine, square root and remainder the engine calls, in double
// precision on the x87. Newer MinGW-w64 libraries leave them to the C runtime
// DLL, which the saver does not import. The golden-frame check under Wine
// links these same routines.
// No header: the C library's own declarations would import these from a DLL.

// With the precision control at 53 bits (UseDoubleRounding) each result is
// rounded once to a double. fsin and fcos take arguments below 2^63 only.
static bool InX87TrigRange(double radians)
{
    return radians > -9.2233720368547758e18 && radians < 9.2233720368547758e18;
}

// The partial remainder by 2 pi, repeated while C2 says it is not done.
static double ReducedForX87(double radians)
{
    double reduced;
    __asm__("fldpi\n\t"
            "fadd %%st(0), %%st(0)\n\t"
            "fxch %%st(1)\n"
            "1:\n\t"
            "fprem1\n\t"
            "fnstsw %%ax\n\t"
            "testb $4, %%ah\n\t"
            "jnz 1b\n\t"
            "fstp %%st(1)"
            : "=t"(reduced) : "0"(radians) : "ax", "cc");
    return reduced;
}

static double InTrigRange(double radians)
{
    return InX87TrigRange(radians) ? radians : ReducedForX87(radians);
}

extern "C" {

double sin(double radians)
{
    double result;
    __asm__("fsin" : "=t"(result) : "0"(InTrigRange(radians)));
    return result;
}

double cos(double radians)
{
    double result;
    __asm__("fcos" : "=t"(result) : "0"(InTrigRange(radians)));
    return result;
}

// GCC joins a sine and a cosine of the same angle into one call.
void sincos(double radians, double* sine, double* cosine)
{
    __asm__("fsincos" : "=t"(*cosine), "=u"(*sine) : "0"(InTrigRange(radians)));
}

// fprem's remainder is exact and keeps the dividend's sign, as fmod's does; it
// reduces by at most 2^63 a step and says by C2 when it must go on.
double fmod(double dividend, double divisor)
{
    double remainder;
    __asm__("1:\n\t"
            "fprem\n\t"
            "fnstsw %%ax\n\t"
            "testb $4, %%ah\n\t"
            "jnz 1b"
            : "=t"(remainder) : "0"(dividend), "u"(divisor) : "ax", "cc");
    return remainder;
}

double sqrt(double value)
{
    double result;
#if defined(__x86_64__)
    __asm__("sqrtsd %1, %0" : "=x"(result) : "x"(value));
#else
    __asm__("fsqrt" : "=t"(result) : "0"(value));
#endif
    return result;
}

}
