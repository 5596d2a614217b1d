// Elementary functions built from +, -, *, / and sqrt alone, which IEEE arithmetic rounds the
// same way everywhere. The C library's versions may differ in the last bit between library
// builds and between CPUs (glibc picks FMA variants at run time), and one bit can tip a pixel:
// the committed pictures must come out byte for byte the same on every machine.
// Accuracy is about 1e-15 relative, far beyond what 8-bit pixels need.
#ifndef VESKOP_IMAGEGEN_STEADY_MATH_H
#define VESKOP_IMAGEGEN_STEADY_MATH_H

double Exp(double x);
double Log(double x);             // x > 0
double Pow(double x, double y);   // x >= 0; Pow(0, y) = 0
double Sin(double x);
double Cos(double x);
double Atan2(double y, double x);  // radians in [-pi, pi]
double Hypot(double x, double y);

#endif
