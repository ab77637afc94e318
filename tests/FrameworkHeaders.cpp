// Nothing of its own: the target it belongs to parses the test framework's
// headers once, for the test programs to share.
