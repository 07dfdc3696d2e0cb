// Tests (placeholder).
