// Elementary functions built from +, -, *, / and sqrt alone, which IEEE arithmetic rounds the
// same way everywhere. The C library's versions may differ in the last bit between library
// builds and between CPUs (glibc picks FMA variants at run time), and one bit can tip a pixel
// or a printed coordinate: the committed pictures and mesh sources must come out byte for byte
// the same on every machine. Accuracy is about 1e-15 relative, far beyond what 8-bit pixels and
// single-precision vertices need.
#ifndef VESKOP_STEADY_MATH_H
#define VESKOP_STEADY_MATH_H

double Exp(double x);
double Log(double x);             // x > 0
double Pow(double x, double y);   // x >= 0; Pow(0, y) = 0
double Sin(double x);
double Cos(double x);
double Atan2(double y, double x);  // radians in [-pi, pi]
double Asin(double x);             // x in [-1, 1]; radians in [-pi/2, pi/2]
double Acos(double x);             // x in [-1, 1]; radians in [0, pi]
double Hypot(double x, double y);

#endif
