"""Shared end-to-end harness: the native and Wine targets behind one interface."""
