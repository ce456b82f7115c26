// Draws the finished frame over the whole window: a_position is a corner of
// the clip-space square, and the frame's texture spans it exactly.
attribute vec2 a_position;
varying vec2 v_texCoord;

void main() {
    v_texCoord = a_position * 0.5 + 0.5;
    gl_Position = vec4(a_position, 0.0, 1.0);
}
