// Building blocks of the mesh generator: vector maths, an indexed triangle mesh with smoothing
// groups, ring grids (lathe-like surfaces, tori, helical strips) and the step that turns a built
// mesh into final arrays (fitted to its box, with per-group normals).
//
// All construction is in double precision; only the final arrays are single precision.
#ifndef VESKOP_MESHGEN_MESH_BUILDER_H
#define VESKOP_MESHGEN_MESH_BUILDER_H

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "steady_math.h"

namespace meshgen {

constexpr double Pi = 3.14159265358979323846;

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalized(Vec3 a) {
    double length = Length(a);
    return length > 0 ? a * (1.0 / length) : Vec3{};
}
inline double Lerp(double a, double b, double t) { return a + (b - a) * t; }
inline double Clamp01(double t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }
inline double SmoothStep(double t) {
    t = Clamp01(t);
    return t * t * (3 - 2 * t);
}

// Point on the circle of radius r about the x axis, at angle `angle` (radians) from +y towards +z.
inline Vec3 AboutX(double x, double r, double angle) {
    return {x, r * Cos(angle), r * Sin(angle)};
}

// Rotation of p by `angle` radians about the x, y or z axis (right-handed).
Vec3 RotateX(Vec3 p, double angle);
Vec3 RotateY(Vec3 p, double angle);
Vec3 RotateZ(Vec3 p, double angle);

struct BuildTriangle {
    std::array<int, 3> corner;  // point indices, counter-clockwise seen from outside
    int group;                  // smoothing group: corners share a normal within one group
};

// An indexed triangle mesh under construction. Parts are closed (or nearly closed, where an open
// end hides inside another part) surfaces; each part is turned outward when it ends.
class MeshBuilder {
public:
    int AddPoint(Vec3 p);
    int NewGroup() { return groupCount_++; }
    void AddTriangle(int a, int b, int c, int group);

    void BeginPart(const std::string& name);
    void EndPart();

    const std::vector<Vec3>& points() const { return points_; }
    std::vector<Vec3>& points() { return points_; }
    const std::vector<BuildTriangle>& triangles() const { return triangles_; }
    int groupCount() const { return groupCount_; }

private:
    std::vector<Vec3> points_;
    std::vector<BuildTriangle> triangles_;
    int groupCount_ = 0;
    size_t partFirstTriangle_ = 0;
    std::string partName_;
};

// A grid of `rows` rings of `columns` points each, closed around (column columns-1 joins column
// 0). Row r, column c is point(r, c). Columns run counter-clockwise seen from where the rows
// advance towards, so that quads face outward on a lathe surface whose rows go along +x.
//
// seamShift > 0 makes a helical strip: past the last column, row r continues as row r+seamShift
// (threads). wrapRows closes the rows into a loop (a torus). A pole caps the first or last row
// with a fan to one point (a flat disc when the pole lies in the ring's plane).
struct RingGrid {
    int rows = 0;
    int columns = 0;
    std::function<Vec3(int row, int column)> point;
    // Group of the quad from (row, column) to (row + 1, column + 1).
    std::function<int(int row, int column)> group;
    int seamShift = 0;
    bool wrapRows = false;
    bool startPole = false;
    Vec3 startPolePoint;
    int startPoleGroup = -1;
    bool endPole = false;
    Vec3 endPolePoint;
    int endPoleGroup = -1;
};

// Point indices of a built ring grid, row-major.
struct RingGridIndices {
    int rows = 0;
    int columns = 0;
    std::vector<int> index;
    int at(int row, int column) const { return index[static_cast<size_t>(row) * columns + column]; }
};

RingGridIndices AddRingGrid(MeshBuilder& mesh, const RingGrid& grid);

// Triangulates the band between two loops around one axis, `lower` before `upper` in the order
// the rows of a ring grid advance. Each loop is its point indices with their angles about the
// axis, increasing, within [0, 2pi); the angles of the two loops never coincide.
void ZipLoops(MeshBuilder& mesh, const std::vector<int>& lower, const std::vector<double>& lowerAngle,
              const std::vector<int>& upper, const std::vector<double>& upperAngle, int group);

// An axis frame for lathe surfaces: axial coordinate along `axis`, angle from `u` towards `v`
// (u x v = axis, so columns run counter-clockwise seen from where the axis points).
struct Frame {
    Vec3 origin, axis, u, v;
    Vec3 At(double along, double radius, double angle) const {
        return origin + axis * along + u * (radius * Cos(angle)) + v * (radius * Sin(angle));
    }
};

// One point of a lathe profile, and the smoothing group of the band from it to the next point
// (for a closed profile, the last band returns to the first point).
struct ProfilePoint {
    double along, radius;
    int group;
};

// A surface of revolution of `profile` about the frame's axis in `columns` columns. An open
// profile whose first or last point has radius 0 ends in a pole there (a cap fan in the group
// of the band next to it); a closed one (`loop`) makes a ring around the axis (a torus).
void AddLathe(MeshBuilder& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile, int columns,
              bool loop, double angleOffset = 0);

// The final arrays of one mesh, as the program stores them.
struct FinalMesh {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    struct Triangle {
        std::array<int, 3> position;
        std::array<int, 3> normal;
    };
    std::vector<Triangle> triangles;
    int referencedPositions = 0;  // positions beyond this are stored but never referenced
};

// Fits the mesh to the box [-0.5, 0.5] x [-halfY, halfY] x [-halfZ, halfZ] (axis by axis, onto
// the exact single-precision bounds), then gives every (point, smoothing group) pair one normal:
// the corner-angle-weighted mean of the group's face normals at that point.
FinalMesh Finish(const MeshBuilder& mesh, float halfY, float halfZ);

// Every property the program relies on, checked on final arrays. Returns "" or what is wrong.
std::string CheckMesh(const FinalMesh& mesh, float halfY, float halfZ);

}  // namespace meshgen

#endif
