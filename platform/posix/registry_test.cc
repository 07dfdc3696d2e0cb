// Tests of the emulated registry.
