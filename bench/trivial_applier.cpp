// Stands in for the applier in benchmarks: starts and ends at once.
int wmain() {
    return 0;
}
