// The fragment's depth in 0..1 packed into four 8-bit channels, the most
// significant in alpha: a reader takes dot(rgba, (1/256^3, 1/256^2, 1/256, 1)).
// Each channel keeps the fraction the next coarser one cannot hold, so the
// sum telescopes back to the depth. Exact only when written unblended.
varying highpvec4 v_position;

void main() {
    highpfloat d = (v_position.z / v_position.w + 1.0) / 2.0;
    highpvec4 k = fract(d * vec4(256.0 * 256.0 * 256.0, 256.0 * 256.0, 256.0, 1.0));
    gl_FragColor = k - vec4(0.0, k.x, k.y, k.z) / 256.0;
}
