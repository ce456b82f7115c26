// A hologram: the knot's tube, displaced cell by cell while a glitch runs,
// with the scan band and the depth fade measured against its world box.
// Both divisions are guarded: a box flat in y or z (a knot lying in a plane)
// and a vertex exactly on the scan line give finite values, never Inf or NaN.
precision highp float;

uniform mat4 u_modelViewProjectionMatrix;
uniform mat4 u_MVMatrix;
uniform mat4 u_MMatrix;
uniform mat3 u_NMatrix;
uniform vec4 u_lightPos;
uniform vec3 u_bbox_min;
uniform vec3 u_bbox_max;
uniform vec3 u_noise;
uniform float u_scanner_phase;

attribute vec3 a_position;
attribute vec3 a_normal;

varying vec3 v_L;
varying vec3 v_normal;
varying float v_scanner_value;
varying float v_depth;

// The band's half width: full brightness within 1/30 of the box's height
// of the line, falling off as 1 / (30 x distance) beyond.
const float kStripe = 30.0;
// Extents below this many pixels count as flat.
const float kFlat = 1.0e-4;

void main() {
    vec4 w = u_MMatrix * vec4(a_position, 1.0);
    // One random fraction per 0.1-pixel cube, so neighbouring vertices
    // move together.
    float r = fract(sin(dot(floor(w.xyz * 10.0), vec3(53.1215, 21.1352, 9.1322))) * 2105.2354);
    vec3 d = r * u_noise + a_position;

    vec3 extent = u_bbox_max - u_bbox_min;
    // 0 at the back of the box, 1 at its front; a flat box has no back.
    v_depth = extent.z > kFlat ? (w.z - u_bbox_min.z) / extent.z : 1.0;
    // A flat box stands at mid-height.
    float y = extent.y > kFlat ? (w.y - u_bbox_min.y) / extent.y : 0.5;
    v_scanner_value = 1.0 / (kStripe * max(abs(y - u_scanner_phase), 1.0 / kStripe));

    gl_Position = u_modelViewProjectionMatrix * vec4(d, 1.0);
    vec4 q = u_MVMatrix * vec4(a_position, 1.0);
    v_normal = u_NMatrix * a_normal;
    v_L = u_lightPos.xyz - q.xyz;
}
