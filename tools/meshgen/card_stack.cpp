// MeshC: cards threaded on a rod, each turned a little further about the rod than the last, so
// that together they sweep half a turn: a twisted ribbon cut into slices. Two round end plates,
// thicker and with fully rounded rims, close the stack; the rod ends in two balls.
//
// The cards' long sides follow an ellipse as they turn (wide where they lie flat, shorter where
// they stand), which gives the stack its box: deeper (y) than tall (z).
#include "outline.h"
#include "shapes.h"

#include <cmath>

namespace meshgen {

namespace {

constexpr double StackHalfLength = 0.43;  // x of the outermost cards' centres
constexpr double EnvelopeY = 0.098;       // half size of a card lying flat
constexpr double EnvelopeZ = 0.0605;      // half size of a card standing up
constexpr double CardHalfWidth = 0.028;
constexpr double CardCornerRadius = 0.012;
constexpr double CardThickness = 0.014;
constexpr double PlateThickness = 0.02;
constexpr double PlateRadius = 0.045;
constexpr double RimBulge = 0.0025;       // how far the middle of a card's rim stands out
constexpr double RodRadius = 0.0065;
constexpr double BallRadius = 0.017;

// Half length of a card turned `angle` from lying flat: the radius of the envelope ellipse in
// that direction.
double EnvelopeRadius(double angle) {
    double c = Cos(angle) / EnvelopeY, s = Sin(angle) / EnvelopeZ;
    return 1.0 / std::sqrt(c * c + s * s);
}

// One card: flat faces with a fan each, and a rim of `rimRows` rings around the outline. The rim
// profile runs from the front face's edge to the back face's edge; `plate` rounds it into a half
// circle, otherwise it bows out by RimBulge at the middle.
void AddCard(MeshBuilder& mesh, const Outline& outline, double centreX, double angle, double thickness,
             bool plate) {
    const int rimRows = plate ? 5 : 3;
    const double half = thickness / 2;
    int front = mesh.NewGroup(), rim = mesh.NewGroup(), back = mesh.NewGroup();
    auto place = [&](double x, double u, double v) {
        Vec3 p = RotateX({x, u, v}, angle);
        p.x += centreX;
        return p;
    };
    RingGrid grid;
    grid.rows = rimRows;
    grid.columns = outline.size();
    grid.point = [&](int row, int column) {
        double x, offset;
        if (plate) {
            // Half circle of radius `half` from the front face round to the back face.
            double phi = -Pi / 2 + Pi * row / (rimRows - 1);
            x = half * Sin(phi);
            offset = half * (Cos(phi) - 1);
        } else {
            x = -half + thickness * row / (rimRows - 1);
            double t = 2.0 * row / (rimRows - 1) - 1;
            offset = RimBulge * (1 - t * t);
        }
        return place(x, outline.U(column, offset), outline.V(column, offset));
    };
    grid.group = [&](int, int) { return rim; };
    grid.startPole = true;
    grid.startPolePoint = place(-half, 0, 0);
    grid.startPoleGroup = front;
    grid.endPole = true;
    grid.endPolePoint = place(half, 0, 0);
    grid.endPoleGroup = back;
    mesh.BeginPart(plate ? "end plate" : "card");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

// The rod along x with a ball at each end; the balls meet the rod at a crease.
void AddRod(MeshBuilder& mesh, int columns, int ballRows) {
    const double ballCentre = 0.5 - BallRadius;
    // Angle (from the ball's outer pole) at which the ball's surface meets the rod.
    const double meet = Pi - Asin(RodRadius / BallRadius);
    int leftBall = mesh.NewGroup(), rod = mesh.NewGroup(), rightBall = mesh.NewGroup();
    RingGrid grid;
    grid.rows = 2 * ballRows;
    grid.columns = columns;
    grid.point = [&](int row, int column) {
        bool left = row < ballRows;
        int k = left ? row + 1 : grid.rows - row;  // 1 .. ballRows, counted from the ball's pole
        double psi = meet * k / ballRows;
        double x = ballCentre - BallRadius * Cos(psi);
        double r = BallRadius * Sin(psi);
        return AboutX(left ? -x : x, r, 2 * Pi * column / columns);
    };
    grid.group = [&](int row, int) {
        if (row < ballRows - 1) return leftBall;
        if (row == ballRows - 1) return rod;
        return rightBall;
    };
    grid.startPole = true;
    grid.startPolePoint = {-0.5, 0, 0};
    grid.startPoleGroup = leftBall;
    grid.endPole = true;
    grid.endPolePoint = {0.5, 0, 0};
    grid.endPoleGroup = rightBall;
    mesh.BeginPart("rod");
    AddRingGrid(mesh, grid);
    mesh.EndPart();
}

}  // namespace

void BuildCardStack(MeshBuilder& mesh, const CardStackParams& params) {
    AddRod(mesh, params.rodColumns, params.ballRows);
    const int n = params.cardCount;
    const Outline disc = Circle(PlateRadius, params.plateColumns);
    for (int i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / (n - 1);
        double angle = Pi * (t - 0.5);  // a half turn, standing up at both ends
        double centreX = StackHalfLength * (2 * t - 1);
        if (i == 0 || i == n - 1) {
            AddCard(mesh, disc, centreX, angle, PlateThickness, true);
        } else {
            Outline outline = RoundedRectangle(EnvelopeRadius(angle), CardHalfWidth, CardCornerRadius,
                                               params.cornerPoints, params.edgeSpacing);
            AddCard(mesh, outline, centreX, angle, CardThickness, false);
        }
    }
}

}  // namespace meshgen
