// The normal equations of the conformal cubic in its 8 real unknowns (a₀, b₀, a₁, b₁, …, a₃,
// b₃), as dense 8 × 8 matrices, and the little algebra the area tools do on them: the two
// observation rows of a point, Cholesky's factor, solving with it.
#pragma once

#include "Extended.h"

#include <array>
#include <cstddef>

namespace vorida::cubic {

inline constexpr size_t kUnknowns = 8;
using Row = std::array<Extended, kUnknowns>;
using Matrix = std::array<Row, kUnknowns>;

// The x and the y observation rows of a point at z = u + iv (centred and scaled source
// coordinates): (1, 0, R₁, −I₁, R₂, −I₂, R₃, −I₃) and (0, 1, I₁, R₁, I₂, R₂, I₃, R₃), with
// Rₖ + iIₖ = zᵏ formed as the fit forms it.
void ObservationRows(Extended u, Extended v, Row& x, Row& y);

// m += sign · a aᵀ.
void AddOuter(Matrix& m, const Row& a, Extended sign);

// Cholesky's factor of a symmetric matrix in place (lower triangle); pivots (optional) gets
// each squared pivot, the Schur complement the factor meets at that column. False when a
// squared pivot is not above floor.
bool Factor(Matrix& m, Extended floor, Row* pivots = nullptr);

// x = M⁻¹ b with the factor of M.
Row Solve(const Matrix& l, const Row& b);

Extended Dot(const Row& a, const Row& b);

} // namespace vorida::cubic
