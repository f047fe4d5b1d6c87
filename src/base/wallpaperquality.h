#pragma once

// The quality slider's positions run from MinQualityPosition to MaxQualityPosition; each stands
// for the JPEG quality QualityStep times as large (50 to 100).
constexpr int QualityStep = 10;
constexpr int MinQualityPosition = 5;
constexpr int MaxQualityPosition = 10;

constexpr int JpegQualityOf(int Position) { return Position * QualityStep; }
