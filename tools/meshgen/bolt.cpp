// MeshA: a fully threaded hex bolt along x, head at -x, with a washer and a hex nut part way down.
//
// The head and the nut are hex prisms whose faces are cut by a 30-degree chamfer cone, which
// leaves the familiar arcs at the top of each flat. The thread is a sharp V on a helical grid:
// every grid row follows the thread, so the crests and roots are true creases. The shank's end
// inside the head is left open (it cannot be seen); at the tip the thread runs out onto the core
// and a chamfer closes the end.
#include "hex.h"
#include "shapes.h"

#include <cmath>

namespace meshgen {

namespace {

constexpr double HeadTop = -0.5;          // x of the head's outer face
constexpr double HeadHeight = 0.085;
constexpr double HexFlat = 0.1;           // axis to the middle of a flat (across flats 0.2)
constexpr double ChamferRadius = 0.094;   // where the chamfer cone meets a head or nut face
constexpr double MajorRadius = 0.06;      // thread crests
constexpr double MinorRadius = 0.05;      // thread roots and the core of the tip
constexpr double TipX = 0.5;
constexpr double TipChamfer = 0.012;
constexpr double NutStart = 0.07;
constexpr double NutHeight = 0.11;
constexpr double NutBore = 0.057;         // inside the crests, so the thread bites into the nut
constexpr double WasherOuter = 0.121;
constexpr double WasherInner = 0.064;
constexpr double WasherThickness = 0.016;

const HexShape BoltHex = {HexFlat, ChamferRadius};
const Frame BoltAxis = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

// The head: flat top face (a fan with rings), chamfer cone, six flats, flat bearing face.
void AddHead(MeshBuilder& mesh, int columns, int topRings) {
    const int faceRows = topRings + 1;  // top-face rings, the chamfer circle last
    const int flatColumns = columns / 6;
    int top = mesh.NewGroup(), cone = mesh.NewGroup(), bearing = mesh.NewGroup();
    int flats[6];
    for (int& f : flats) f = mesh.NewGroup();
    RingGrid grid;
    grid.rows = faceRows + 2;
    grid.columns = columns;
    grid.point = [=](int row, int column) {
        double angle = 2 * Pi * column / columns;
        if (row < faceRows) return AboutX(HeadTop, ChamferRadius * (row + 1) / faceRows, angle);
        double x = row == faceRows ? HeadTop + BoltHex.ChamferDepth(angle) : HeadTop + HeadHeight;
        return AboutX(x, BoltHex.Radius(angle), angle);
    };
    grid.group = [=](int row, int column) {
        if (row < faceRows - 1) return top;
        if (row == faceRows - 1) return cone;
        return flats[column / flatColumns];
    };
    grid.startPole = true;
    grid.startPolePoint = {HeadTop, 0, 0};
    grid.startPoleGroup = top;
    grid.endPole = true;
    grid.endPolePoint = {HeadTop + HeadHeight, 0, 0};
    grid.endPoleGroup = bearing;
    mesh.BeginPart("head");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// The washer: a flat ring with a rounded outer rim, against the nut's inner face.
void AddWasher(MeshBuilder& mesh, int columns, int rimRows) {
    const double x1 = NutStart, x0 = x1 - WasherThickness, half = WasherThickness / 2;
    int faceIn = mesh.NewGroup(), rim = mesh.NewGroup(), faceOut = mesh.NewGroup(), bore = mesh.NewGroup();
    RingGrid grid;
    grid.rows = rimRows + 4;
    grid.columns = columns;
    grid.wrapRows = true;
    grid.point = [=](int row, int column) {
        double angle = 2 * Pi * column / columns;
        if (row == 0) return AboutX(x0, WasherInner, angle);
        if (row == rimRows + 3) return AboutX(x1, WasherInner, angle);
        // Half circle from the inner face round the outer edge to the outer face.
        double phi = -Pi / 2 + Pi * (row - 1) / (rimRows + 1);
        return AboutX(x0 + half + half * Sin(phi), WasherOuter - half + half * Cos(phi), angle);
    };
    grid.group = [=](int row, int) {
        if (row == 0) return faceIn;
        if (row <= rimRows + 1) return rim;
        return row == rimRows + 2 ? faceOut : bore;
    };
    mesh.BeginPart("washer");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// The threaded shank, from inside the head to the chamfered tip.
void AddShank(MeshBuilder& mesh, const BoltParams& params) {
    const int columns = params.threadColumns;
    const int perPitch = params.threadRowsPerPitch;
    const int rows = params.threadRows;
    const double turns = static_cast<double>(rows - 1) / perPitch;
    const double start = HeadTop + HeadHeight / 3;  // first row, well inside the head
    // The last row's far end sits one pitch short of the runout ring.
    const double runoutX = TipX - TipChamfer - 0.012;
    const double pitch = (runoutX - start) / (turns + 1.0 + 1.0 / perPitch);
    const double rowStep = pitch / perPitch;
    const double fadeEnd = start + (rows - 1 - perPitch) * rowStep;
    int flankUp = mesh.NewGroup(), flankDown = mesh.NewGroup();
    int core = mesh.NewGroup(), chamfer = mesh.NewGroup(), end = mesh.NewGroup();

    RingGrid thread;
    thread.rows = rows;
    thread.columns = columns;
    thread.seamShift = perPitch;  // a full turn advances one pitch: perPitch rows
    thread.point = [=](int row, int column) {
        double x = start + row * rowStep + pitch * column / columns;
        // Crest half way through each pitch. The thread fades out over a turn and a half, so
        // that its last turn lies on the core, where it meets the runout ring.
        int phase = row % perPitch;
        double shape = 1.0 - std::fabs(2.0 * phase / perPitch - 1.0);
        double fade = SmoothStep((fadeEnd - x) / (1.5 * pitch));
        double r = MinorRadius + (MajorRadius - MinorRadius) * shape * fade;
        return AboutX(x, r, 2 * Pi * column / columns);
    };
    thread.group = [=](int row, int) { return row % perPitch < perPitch / 2 ? flankUp : flankDown; };

    // Runout ring and chamfer ring, turned half a column so no angle meets the thread's.
    RingGrid tip;
    tip.rows = 2;
    tip.columns = columns;
    tip.point = [=](int row, int column) {
        double angle = 2 * Pi * (column + 0.5) / columns;
        return row == 0 ? AboutX(runoutX, MinorRadius, angle) : AboutX(TipX, MinorRadius - TipChamfer, angle);
    };
    tip.group = [=](int, int) { return chamfer; };
    tip.endPole = true;
    tip.endPolePoint = {TipX, 0, 0};
    tip.endPoleGroup = end;

    mesh.BeginPart("shank");
    RingGridIndices threadIndex = AddRingGrid(mesh, thread);
    RingGridIndices tipIndex = AddRingGrid(mesh, tip);
    // The thread's open end: the last row all round, then back down the last column to where
    // the seam closes it.
    std::vector<int> lower, upper;
    std::vector<double> lowerAngle, upperAngle;
    for (int c = 0; c < columns; ++c) {
        lower.push_back(threadIndex.at(rows - 1, c));
        lowerAngle.push_back(2 * Pi * c / columns);
    }
    // The last column's open side faces +angle: its points join the runout ring's last point,
    // so they sort just after it.
    for (int r = rows - 2; r >= rows - 1 - perPitch; --r) {
        lower.push_back(threadIndex.at(r, columns - 1));
        lowerAngle.push_back(2 * Pi * (columns - 0.5) / columns + 1e-6 * (rows - 1 - r));
    }
    for (int c = 0; c < columns; ++c) {
        upper.push_back(tipIndex.at(0, c));
        upperAngle.push_back(2 * Pi * (c + 0.5) / columns);
    }
    ZipLoops(mesh, lower, lowerAngle, upper, upperAngle, core);
    mesh.EndPart();
}

}  // namespace

void BuildBolt(MeshBuilder& mesh, const BoltParams& params) {
    // Outer parts first: drawn before the shank, they hide its hidden stretches from the depth
    // test instead of letting them add light through additive blending.
    AddHead(mesh, 6 * params.headFlatColumns, params.headTopRings);
    AddHexNut(mesh, BoltAxis, NutStart, NutStart + NutHeight, BoltHex, NutBore, params.nutFlatColumns);
    AddWasher(mesh, params.washerColumns, params.washerRimRows);
    AddShank(mesh, params);
}

}  // namespace meshgen
