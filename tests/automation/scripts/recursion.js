// Runaway recursion is reported at the line of the call that overflowed.
function deep(n) {
    return deep(n + 1) + 1;
}
deep(0);
