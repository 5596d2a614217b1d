#include "mesh_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

namespace meshgen {

Vec3 RotateX(Vec3 p, double angle) {
    double c = Cos(angle), s = Sin(angle);
    return {p.x, c * p.y - s * p.z, s * p.y + c * p.z};
}

Vec3 RotateY(Vec3 p, double angle) {
    double c = Cos(angle), s = Sin(angle);
    return {c * p.x + s * p.z, p.y, -s * p.x + c * p.z};
}

Vec3 RotateZ(Vec3 p, double angle) {
    double c = Cos(angle), s = Sin(angle);
    return {c * p.x - s * p.y, s * p.x + c * p.y, p.z};
}

int MeshBuilder::AddPoint(Vec3 p) {
    points_.push_back(p);
    return static_cast<int>(points_.size()) - 1;
}

void MeshBuilder::AddTriangle(int a, int b, int c, int group) {
    triangles_.push_back({{a, b, c}, group});
}

void MeshBuilder::BeginPart(const std::string& name) {
    partFirstTriangle_ = triangles_.size();
    partName_ = name;
}

// A part whose enclosed volume comes out negative was built inside out: turn all its triangles.
// The volume is taken about the part's centroid, so an open end hidden in another part does not
// change its sign.
void MeshBuilder::EndPart() {
    Vec3 centroid;
    size_t cornerCount = 0;
    for (size_t t = partFirstTriangle_; t < triangles_.size(); ++t) {
        for (int k = 0; k < 3; ++k) centroid = centroid + points_[triangles_[t].corner[k]];
        cornerCount += 3;
    }
    if (cornerCount == 0) return;
    centroid = centroid * (1.0 / static_cast<double>(cornerCount));
    double volume = 0;
    for (size_t t = partFirstTriangle_; t < triangles_.size(); ++t) {
        const auto& c = triangles_[t].corner;
        volume += Dot(points_[c[0]] - centroid,
                      Cross(points_[c[1]] - centroid, points_[c[2]] - centroid));
    }
    if (volume < 0) {
        for (size_t t = partFirstTriangle_; t < triangles_.size(); ++t) {
            std::swap(triangles_[t].corner[1], triangles_[t].corner[2]);
        }
    }
}

namespace {

// Splits the quad a-b-c-d (a, b on the lower row, counter-clockwise from outside) along its
// shorter diagonal, which keeps thin quads from folding.
void AddQuad(MeshBuilder& mesh, int a, int b, int c, int d, int group) {
    const auto& p = mesh.points();
    double ac = Length(p[c] - p[a]);
    double bd = Length(p[d] - p[b]);
    if (bd < ac) {
        mesh.AddTriangle(a, b, d, group);
        mesh.AddTriangle(b, c, d, group);
    } else {
        mesh.AddTriangle(a, b, c, group);
        mesh.AddTriangle(a, c, d, group);
    }
}

}  // namespace

RingGridIndices AddRingGrid(MeshBuilder& mesh, const RingGrid& grid) {
    RingGridIndices out;
    out.rows = grid.rows;
    out.columns = grid.columns;
    out.index.reserve(static_cast<size_t>(grid.rows) * grid.columns);
    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) out.index.push_back(mesh.AddPoint(grid.point(r, c)));
    }
    int rowPairs = grid.wrapRows ? grid.rows : grid.rows - 1;
    for (int r = 0; r < rowPairs; ++r) {
        int next = (r + 1) % grid.rows;
        for (int c = 0; c < grid.columns; ++c) {
            int a = out.at(r, c), d = out.at(next, c);
            int b, e;
            if (c + 1 < grid.columns) {
                b = out.at(r, c + 1);
                e = out.at(next, c + 1);
            } else {
                // Past the last column: row r continues as row r + seamShift.
                int shifted = r + grid.seamShift;
                int shiftedNext = next + grid.seamShift;
                if (grid.seamShift > 0 && (next == 0 || shiftedNext >= grid.rows)) continue;
                b = out.at(shifted, 0);
                e = out.at(shiftedNext, 0);
            }
            AddQuad(mesh, a, b, e, d, grid.group(r, c));
        }
    }
    if (grid.startPole) {
        int pole = mesh.AddPoint(grid.startPolePoint);
        for (int c = 0; c < grid.columns; ++c) {
            int a = out.at(0, c), b = out.at(0, (c + 1) % grid.columns);
            mesh.AddTriangle(b, a, pole, grid.startPoleGroup);
        }
    }
    if (grid.endPole) {
        int pole = mesh.AddPoint(grid.endPolePoint);
        int last = grid.rows - 1;
        for (int c = 0; c < grid.columns; ++c) {
            int a = out.at(last, c), b = out.at(last, (c + 1) % grid.columns);
            mesh.AddTriangle(a, b, pole, grid.endPoleGroup);
        }
    }
    return out;
}

void ZipLoops(MeshBuilder& mesh, const std::vector<int>& lower, const std::vector<double>& lowerAngle,
              const std::vector<int>& upper, const std::vector<double>& upperAngle, int group) {
    size_t nl = lower.size(), nu = upper.size();
    size_t il = 0, iu = 0;
    auto angleOf = [](const std::vector<double>& angles, size_t i) {
        return i < angles.size() ? angles[i] : angles[i - angles.size()] + 2 * Pi;
    };
    while (il < nl || iu < nu) {
        bool advanceLower;
        if (il == nl) {
            advanceLower = false;
        } else if (iu == nu) {
            advanceLower = true;
        } else {
            advanceLower = angleOf(lowerAngle, il + 1) <= angleOf(upperAngle, iu + 1);
        }
        if (advanceLower) {
            mesh.AddTriangle(lower[il % nl], lower[(il + 1) % nl], upper[iu % nu], group);
            ++il;
        } else {
            mesh.AddTriangle(lower[il % nl], upper[(iu + 1) % nu], upper[iu % nu], group);
            ++iu;
        }
    }
}

void AddLathe(MeshBuilder& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile, int columns,
              bool loop, double angleOffset) {
    size_t first = 0, last = profile.size();  // rings are profile[first, last)
    RingGrid grid;
    if (!loop && profile.front().radius == 0) {
        grid.startPole = true;
        grid.startPolePoint = frame.At(profile.front().along, 0, 0);
        grid.startPoleGroup = profile.front().group;
        first = 1;
    }
    if (!loop && profile.back().radius == 0) {
        grid.endPole = true;
        grid.endPolePoint = frame.At(profile.back().along, 0, 0);
        grid.endPoleGroup = profile[profile.size() - 2].group;
        last = profile.size() - 1;
    }
    grid.rows = static_cast<int>(last - first);
    grid.columns = columns;
    grid.wrapRows = loop;
    grid.point = [&](int row, int column) {
        const ProfilePoint& p = profile[first + row];
        return frame.At(p.along, p.radius, angleOffset + 2 * Pi * column / columns);
    };
    grid.group = [&](int row, int) { return profile[first + row].group; };
    AddRingGrid(mesh, grid);
}

namespace {

double CornerAngle(Vec3 at, Vec3 p, Vec3 q) {
    Vec3 u = Normalized(p - at), v = Normalized(q - at);
    double c = std::max(-1.0, std::min(1.0, Dot(u, v)));
    return Acos(c);
}

float FitAxis(double value, double low, double high, float half) {
    double centre = 0.5 * (low + high);
    double scale = static_cast<double>(half) / (0.5 * (high - low));
    float f = static_cast<float>((value - centre) * scale);
    return std::max(-half, std::min(half, f));
}

}  // namespace

FinalMesh Finish(const MeshBuilder& mesh, float halfY, float halfZ) {
    const auto& points = mesh.points();
    const auto& triangles = mesh.triangles();
    Vec3 low = points.at(0), high = points.at(0);
    for (const Vec3& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    FinalMesh out;
    std::vector<Vec3> fitted;
    fitted.reserve(points.size());
    for (const Vec3& p : points) {
        std::array<float, 3> f = {FitAxis(p.x, low.x, high.x, 0.5f), FitAxis(p.y, low.y, high.y, halfY),
                                  FitAxis(p.z, low.z, high.z, halfZ)};
        out.positions.push_back(f);
        fitted.push_back({(p.x - 0.5 * (low.x + high.x)) * (1.0 / (high.x - low.x)),
                          (p.y - 0.5 * (low.y + high.y)) * (2.0 * halfY / (high.y - low.y)),
                          (p.z - 0.5 * (low.z + high.z)) * (2.0 * halfZ / (high.z - low.z))});
    }
    out.referencedPositions = static_cast<int>(points.size());

    // One normal per (point, group), numbered in order of first use.
    std::map<std::pair<int, int>, int> normalIndex;
    std::vector<Vec3> sums;
    out.triangles.reserve(triangles.size());
    for (const BuildTriangle& t : triangles) {
        const Vec3& a = fitted[t.corner[0]];
        const Vec3& b = fitted[t.corner[1]];
        const Vec3& c = fitted[t.corner[2]];
        Vec3 face = Normalized(Cross(b - a, c - a));
        double angles[3] = {CornerAngle(a, b, c), CornerAngle(b, c, a), CornerAngle(c, a, b)};
        FinalMesh::Triangle ft;
        for (int k = 0; k < 3; ++k) {
            auto key = std::make_pair(t.corner[k], t.group);
            auto found = normalIndex.find(key);
            int index;
            if (found == normalIndex.end()) {
                index = static_cast<int>(sums.size());
                normalIndex.emplace(key, index);
                sums.push_back({});
            } else {
                index = found->second;
            }
            sums[index] = sums[index] + face * angles[k];
            ft.position[k] = t.corner[k];
            ft.normal[k] = index;
        }
        out.triangles.push_back(ft);
    }
    for (const Vec3& s : sums) {
        Vec3 n = Normalized(s);
        out.normals.push_back({static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)});
    }
    return out;
}

std::string CheckMesh(const FinalMesh& mesh, float halfY, float halfZ) {
    char text[256];
    const float half[3] = {0.5f, halfY, halfZ};
    for (int axis = 0; axis < 3; ++axis) {
        float low = mesh.positions[0][axis], high = low;
        for (const auto& p : mesh.positions) {
            low = std::min(low, p[axis]);
            high = std::max(high, p[axis]);
        }
        if (low != -half[axis] || high != half[axis]) {
            std::snprintf(text, sizeof text, "axis %d spans %.9g to %.9g, not +-%.9g", axis, low, high,
                          half[axis]);
            return text;
        }
    }
    for (size_t i = 0; i < mesh.normals.size(); ++i) {
        const auto& n = mesh.normals[i];
        double length = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        if (std::fabs(length - 1.0) > 1e-6) {
            std::snprintf(text, sizeof text, "normal %zu has length %.9g", i, length);
            return text;
        }
    }
    std::vector<bool> positionUsed(mesh.positions.size()), normalUsed(mesh.normals.size());
    for (size_t t = 0; t < mesh.triangles.size(); ++t) {
        const auto& tri = mesh.triangles[t];
        if (tri.position[0] == tri.position[1] || tri.position[1] == tri.position[2] ||
            tri.position[0] == tri.position[2]) {
            std::snprintf(text, sizeof text, "triangle %zu repeats a position", t);
            return text;
        }
        Vec3 p[3];
        for (int k = 0; k < 3; ++k) {
            const auto& q = mesh.positions[tri.position[k]];
            p[k] = {q[0], q[1], q[2]};
            positionUsed[tri.position[k]] = true;
            normalUsed[tri.normal[k]] = true;
        }
        Vec3 face = Cross(p[1] - p[0], p[2] - p[0]);
        for (int k = 0; k < 3; ++k) {
            const auto& n = mesh.normals[tri.normal[k]];
            if (Dot(face, {n[0], n[1], n[2]}) <= 0) {
                std::snprintf(text, sizeof text, "triangle %zu winds against its corner %d normal", t, k);
                return text;
            }
        }
    }
    for (size_t i = 0; i < positionUsed.size(); ++i) {
        if (positionUsed[i] != (static_cast<int>(i) < mesh.referencedPositions)) {
            std::snprintf(text, sizeof text, "position %zu is %sreferenced", i, positionUsed[i] ? "" : "not ");
            return text;
        }
    }
    for (size_t i = 0; i < normalUsed.size(); ++i) {
        if (!normalUsed[i]) {
            std::snprintf(text, sizeof text, "normal %zu is not referenced", i);
            return text;
        }
    }
    return "";
}

}  // namespace meshgen
