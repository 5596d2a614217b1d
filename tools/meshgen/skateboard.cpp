// MeshB: a skateboard along x, wheels down (-z): a deck with a concave and two kicktails, eight
// mounting bolts on top, and two trucks, each a baseplate, a rubber bushing, a kingpin with its
// nut, a hanger and an axle with two wheels.
//
// Parts that hide inside others (the axles in the hangers and wheels, the kingpins in the
// bushings) are listed after the parts that cover them, and the kingpins' upper ends, inside the
// baseplates, are left open.
#include "hex.h"
#include "outline.h"
#include "shapes.h"

#include <cmath>

namespace meshgen {

namespace {

constexpr double DeckHalfLength = 0.5;
constexpr double DeckHalfWidth = 0.1;
constexpr double DeckCornerRadius = 0.094;
constexpr double DeckThickness = 0.012;
constexpr double KickStart = 0.31;    // |x| where the kicktails start to rise
constexpr double KickRise = 0.045;    // rise of the deck at its tips
constexpr double ConcaveDepth = 0.004;

constexpr double TruckX = 0.265;      // |x| of the axles
constexpr double AxleZ = -0.042;
constexpr double AxleRadius = 0.004;
constexpr double AxleHalfLength = 0.097;
constexpr double WheelRadius = 0.029;
constexpr double WheelWidth = 0.03;
constexpr double WheelCentreY = 0.0755;
constexpr double HangerHalfLength = 0.057;
constexpr double WheelInner = WheelCentreY - WheelWidth / 2;  // |y| of a wheel's inner face
constexpr double WheelOuter = WheelCentreY + WheelWidth / 2;
constexpr double AxleNutInner = WheelOuter + 0.002;

// Height the deck's surface gains at (x, y): the kicktails' rise and the concave across it.
double DeckLift(double x, double y) {
    double kick = std::fabs(x) > KickStart ? (std::fabs(x) - KickStart) / (DeckHalfLength - KickStart) : 0;
    double across = y / DeckHalfWidth;
    return KickRise * kick * kick + ConcaveDepth * across * across;
}

// The deck: top and bottom faces as rings around a centre point, joined by a rounded rim, bent
// up into kicktails and dished across. With deckCreasedEdges the rim meets the faces at an edge.
void AddDeck(MeshBuilder& mesh, const SkateboardParams& params) {
    const Outline outline = RoundedRectangle(DeckHalfLength, DeckHalfWidth, DeckCornerRadius, params.deckCornerPoints,
                                             params.deckEdgeSpacing);
    const int faceRings = params.deckRings;
    const int rimRows = params.deckRimRows;
    const double half = DeckThickness / 2;
    int topFace = mesh.NewGroup(), rim = params.deckCreasedEdges ? mesh.NewGroup() : topFace;
    int bottomFace = params.deckCreasedEdges ? mesh.NewGroup() : topFace;
    RingGrid grid;
    grid.rows = 2 * faceRings + rimRows;
    grid.columns = outline.size();
    grid.point = [&](int row, int column) {
        double scale = 1, offset = -half, z;
        if (row < faceRings) {
            scale = static_cast<double>(row + 1) / faceRings;
            z = DeckThickness;
        } else if (row >= faceRings + rimRows) {
            scale = static_cast<double>(grid.rows - row) / faceRings;
            z = 0;
        } else {
            double phi = Pi * (row - faceRings + 1) / (rimRows + 1);
            offset = -half + half * Sin(phi);
            z = half + half * Cos(phi);
        }
        // Rings inside the face crowd towards the rim, where the kicktails bend.
        scale = std::sqrt(scale);
        double x = scale * outline.U(column, offset), y = scale * outline.V(column, offset);
        return Vec3{x, y, z + DeckLift(x, y)};
    };
    grid.group = [=](int row, int) {
        if (row < faceRings - 1) return topFace;
        return row < faceRings + rimRows ? rim : bottomFace;
    };
    grid.startPole = true;
    grid.startPolePoint = {0, 0, DeckThickness};
    grid.startPoleGroup = topFace;
    grid.endPole = true;
    grid.endPolePoint = {0, 0, 0};
    grid.endPoleGroup = bottomFace;
    mesh.BeginPart("deck");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// A domed bolt head sitting on the deck at (x, y), its flat underside sunk into the deck.
void AddBoltHead(MeshBuilder& mesh, double x, double y, int columns, int domeRows) {
    const double radius = 0.0052, height = 0.0028, sink = 0.0012;
    double base = DeckThickness + DeckLift(x, y) - 0.0004;
    int dome = mesh.NewGroup(), side = mesh.NewGroup(), under = mesh.NewGroup();
    std::vector<ProfilePoint> profile;
    profile.push_back({height, 0, dome});
    for (int k = 1; k <= domeRows; ++k) {
        double phi = (Pi / 2) * k / domeRows;
        profile.push_back({height * Cos(phi), radius * Sin(phi), k == domeRows ? side : dome});
    }
    profile.push_back({-sink, radius, under});
    profile.push_back({-sink, 0, under});
    mesh.BeginPart("bolt head");
    AddLathe(mesh, {{x, y, base}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, profile, columns, false);
    mesh.EndPart();
}

// The baseplate under the deck: a block with a bevelled lower edge.
void AddBaseplate(MeshBuilder& mesh, double x, const SkateboardParams& params) {
    const Outline outline = RoundedRectangle(0.03, 0.032, 0.007, params.plateCornerPoints, 0.01);
    const double top = 0.0006, bevelStart = -0.0075, bottom = -0.0095, bevel = 0.002;
    int topFace = mesh.NewGroup(), side = mesh.NewGroup(), bevelFace = mesh.NewGroup(), bottomFace = mesh.NewGroup();
    RingGrid grid;
    grid.rows = 3;
    grid.columns = outline.size();
    grid.point = [&](int row, int column) {
        double z = row == 0 ? top : (row == 1 ? bevelStart : bottom);
        double offset = row == 2 ? -bevel : 0;
        return Vec3{x + outline.U(column, offset), outline.V(column, offset), z};
    };
    grid.group = [=](int row, int) { return row == 0 ? side : bevelFace; };
    grid.startPole = true;
    grid.startPolePoint = {x, 0, top};
    grid.startPoleGroup = topFace;
    grid.endPole = true;
    grid.endPolePoint = {x, 0, bottom};
    grid.endPoleGroup = bottomFace;
    mesh.BeginPart("baseplate");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// The hanger: a bar along y around the axle, deepest in the middle, with flat ends. Its section
// is a box with chamfered corners, every face a flat strip along the bar.
void AddHanger(MeshBuilder& mesh, double x, const SkateboardParams& params) {
    const double halfLength = HangerHalfLength, halfX = 0.011;
    const int rows = params.hangerRows;
    const Outline section = RoundedRectangle(1, 1, 0.4, 2, 10);  // eight points, one per face edge
    const int columns = section.size();
    int endLow = mesh.NewGroup(), endHigh = mesh.NewGroup();
    std::vector<int> faces;
    for (int c = 0; c < columns; ++c) faces.push_back(mesh.NewGroup());
    RingGrid grid;
    grid.rows = rows;
    grid.columns = columns;
    grid.point = [=](int row, int column) {
        double t = 2.0 * row / (rows - 1) - 1;  // -1 .. 1 along y
        // Taller in the middle, where the bushing seat rises above the axle.
        double halfZ = 0.0075 + 0.0055 * (1 - t * t);
        double lift = 0.0045 * (1 - t * t);
        return Vec3{x + halfX * section.U(column, 0), halfLength * t, AxleZ + lift + halfZ * section.V(column, 0)};
    };
    grid.group = [=](int, int column) { return faces[column]; };
    grid.startPole = true;
    grid.startPolePoint = {x, -halfLength, AxleZ};
    grid.startPoleGroup = endLow;
    grid.endPole = true;
    grid.endPolePoint = {x, halfLength, AxleZ};
    grid.endPoleGroup = endHigh;
    mesh.BeginPart("hanger");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// The bushing between baseplate and hanger: a rubber barrel with flat ends.
void AddBushing(MeshBuilder& mesh, double x, const SkateboardParams& params) {
    const double top = -0.009, bottom = -0.0305, rEnd = 0.0085, rMiddle = 0.0108;
    int topFace = mesh.NewGroup(), barrel = mesh.NewGroup(), bottomFace = mesh.NewGroup();
    std::vector<ProfilePoint> profile;
    profile.push_back({top, 0, topFace});
    for (int k = 0; k <= params.bushingRows; ++k) {
        double t = static_cast<double>(k) / params.bushingRows;
        double bulge = 1 - (2 * t - 1) * (2 * t - 1);
        profile.push_back({Lerp(top, bottom, t), rEnd + (rMiddle - rEnd) * bulge, k == params.bushingRows ? bottomFace : barrel});
    }
    profile.push_back({bottom, 0, bottomFace});
    mesh.BeginPart("bushing");
    AddLathe(mesh, {{x, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, profile, params.bushingColumns, false);
    mesh.EndPart();
}

// The axle through hanger and wheels, with chamfered ends.
void AddAxle(MeshBuilder& mesh, double x, int columns) {
    const double chamfer = 0.0008;
    int endLow = mesh.NewGroup(), chamferLow = mesh.NewGroup(), side = mesh.NewGroup();
    int chamferHigh = mesh.NewGroup(), endHigh = mesh.NewGroup();
    const double a = AxleHalfLength;
    std::vector<ProfilePoint> profile = {
        {-a, 0, endLow},
        {-a, AxleRadius - chamfer, chamferLow},
        {-a + chamfer, AxleRadius, side},
        {a - chamfer, AxleRadius, chamferHigh},
        {a, AxleRadius - chamfer, endHigh},
        {a, 0, endHigh},
    };
    mesh.BeginPart("axle");
    AddLathe(mesh, {{x, 0, AxleZ}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, profile, columns, false);
    mesh.EndPart();
}

// A wheel: rounded tread and lips, flat sides, a recessed bearing seat and a bore on each side
// (the bore sits just inside the axle's surface).
void AddWheel(MeshBuilder& mesh, double x, double y, const SkateboardParams& params) {
    const double w = WheelWidth / 2, lip = 0.006, sideRadius = 0.021, seat = 0.0115, recess = 0.0025;
    const double bore = AxleRadius - 0.0003;
    int bores = mesh.NewGroup(), seatIn = mesh.NewGroup(), stepIn = mesh.NewGroup(), sideIn = mesh.NewGroup();
    int lipIn = mesh.NewGroup(), tread = mesh.NewGroup(), lipOut = mesh.NewGroup();
    int sideOut = mesh.NewGroup(), stepOut = mesh.NewGroup(), seatOut = mesh.NewGroup();
    std::vector<ProfilePoint> profile;
    profile.push_back({-w + recess, bore, seatIn});
    profile.push_back({-w + recess, seat, stepIn});
    profile.push_back({-w, seat + 0.0015, sideIn});
    profile.push_back({-w, sideRadius, lipIn});
    // Lip, tread and lip: the lips round from the side faces up to a slightly crowned tread,
    // meeting it at an edge.
    const int lipRows = params.wheelLipRows;
    for (int k = 1; k <= lipRows; ++k) {
        double phi = (Pi / 2) * k / lipRows;
        profile.push_back({-w + lip * (1 - Cos(phi)), sideRadius + (WheelRadius - sideRadius) * Sin(phi),
                           k == lipRows ? tread : lipIn});
    }
    for (int k = 1; k < params.wheelTreadRows; ++k) {
        double t = static_cast<double>(k) / params.wheelTreadRows;
        double crown = 0.0006 * Sin(Pi * t);
        profile.push_back({Lerp(-w + lip, w - lip, t), WheelRadius + crown, tread});
    }
    for (int k = lipRows; k >= 1; --k) {
        double phi = (Pi / 2) * k / lipRows;
        profile.push_back({w - lip * (1 - Cos(phi)), sideRadius + (WheelRadius - sideRadius) * Sin(phi), lipOut});
    }
    profile.push_back({w, sideRadius, sideOut});
    profile.push_back({w, seat + 0.0015, stepOut});
    profile.push_back({w - recess, seat, seatOut});
    profile.push_back({w - recess, bore, bores});
    mesh.BeginPart("wheel");
    AddLathe(mesh, {{x, y, AxleZ}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, profile, params.wheelColumns, true);
    mesh.EndPart();
}

// A hex nut on the axle, just outside a wheel on the side `side` (-1 or 1).
void AddAxleNut(MeshBuilder& mesh, double x, double side, int flatColumns) {
    const HexShape hex = {0.0046, 0.0043};
    const double inner = AxleNutInner, outer = AxleHalfLength - 0.0012;
    Frame frame = {{x, 0, AxleZ}, {0, side, 0}, {0, 0, 1}, {side, 0, 0}};
    AddHexNut(mesh, frame, inner, outer, hex, AxleRadius - 0.0002, flatColumns);
}

// The kingpin: a pin from inside the baseplate down through bushing and hanger, ending in a hex
// nut under the hanger. Its upper end stays open inside the baseplate.
void AddKingpin(MeshBuilder& mesh, double x, int columns) {
    const double radius = 0.0032, nutTop = -0.0555, nutBottom = -0.0615, chamfer = 0.0012;
    const HexShape hex = {0.0056, 0.0052};
    const int flatColumns = columns / 6;
    int pin = mesh.NewGroup(), nutFace = mesh.NewGroup(), chamferFace = mesh.NewGroup(), end = mesh.NewGroup();
    int flats[6];
    for (int& f : flats) f = mesh.NewGroup();
    RingGrid grid;
    grid.rows = 5;
    grid.columns = columns;
    grid.point = [=](int row, int column) {
        double angle = 2 * Pi * column / columns;
        double c = Cos(angle), s = Sin(angle);
        const double z[5] = {-0.004, nutTop, nutTop, nutBottom + chamfer, nutBottom};
        double r = row < 2 ? radius : hex.Radius(angle) - (row == 4 ? chamfer : 0);
        return Vec3{x + r * c, r * s, z[row]};
    };
    grid.group = [=](int row, int column) {
        const int groups[4] = {pin, nutFace, -1, chamferFace};
        return row == 2 ? flats[column / flatColumns] : groups[row];
    };
    grid.endPole = true;
    grid.endPolePoint = {x, 0, nutBottom};
    grid.endPoleGroup = end;
    mesh.BeginPart("kingpin");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// A speed ring: a thin washer on the axle, from `from` to `to` along y.
void AddSpeedRing(MeshBuilder& mesh, double x, double from, double to, int columns) {
    const double inner = AxleRadius - 0.0002, outer = 0.0068;
    int faceFrom = mesh.NewGroup(), side = mesh.NewGroup(), faceTo = mesh.NewGroup(), bore = mesh.NewGroup();
    std::vector<ProfilePoint> profile = {
        {from, inner, faceFrom}, {from, outer, side}, {to, outer, faceTo}, {to, inner, bore}};
    mesh.BeginPart("speed ring");
    AddLathe(mesh, {{x, 0, AxleZ}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, profile, columns, true);
    mesh.EndPart();
}

}  // namespace

void BuildSkateboard(MeshBuilder& mesh, const SkateboardParams& params) {
    AddDeck(mesh, params);
    const double boltDx = 0.017, boltDy = 0.022;
    for (int truck = 0; truck < 2; ++truck) {
        double x = truck == 0 ? -TruckX : TruckX;
        for (int k = 0; k < 4; ++k) {
            AddBoltHead(mesh, x + (k % 2 == 0 ? -boltDx : boltDx), k < 2 ? -boltDy : boltDy, params.boltColumns,
                        params.boltDomeRows);
        }
    }
    for (int truck = 0; truck < 2; ++truck) {
        double x = truck == 0 ? -TruckX : TruckX;
        AddBaseplate(mesh, x, params);
        AddHanger(mesh, x, params);
        AddBushing(mesh, x, params);
        AddWheel(mesh, x, -WheelCentreY, params);
        AddWheel(mesh, x, WheelCentreY, params);
        for (double side : {-1.0, 1.0}) {
            AddSpeedRing(mesh, x, side * (HangerHalfLength + 0.0006), side * (WheelInner - 0.0001), params.speedRingColumns);
            AddSpeedRing(mesh, x, side * (WheelOuter + 0.0001), side * (AxleNutInner - 0.0002), params.speedRingColumns);
        }
        AddAxleNut(mesh, x, -1, params.axleNutFlatColumns);
        AddAxleNut(mesh, x, 1, params.axleNutFlatColumns);
        AddAxle(mesh, x, params.axleColumns);
        AddKingpin(mesh, x, params.kingpinColumns);
    }
}

}  // namespace meshgen
