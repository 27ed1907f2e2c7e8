#!/usr/bin/env python3
"""Stands the quadruped up with quorvel_api: against quorvel_sim or the robot, unchanged.

From wherever the robot lies, the joint targets move to a crouch, then to the standing
pose, with moderate gains; the pose is held, then the trunk height (from the IMU, the
joint angles and the feet on the ground) and every joint's error are printed. The joint
trajectories go to stand_up.csv and, when gnuplot is installed, to stand_up.png.

    python3.12 examples/stand_up.py --interface lo --output-dir /tmp/stand_up
"""

import argparse
import csv
import math
import os
import shutil
import subprocess
import sys
import time

import quorvel_api

JOINT_NAMES = [
    "Front_Right_Abduction", "Front_Right_Hip", "Front_Right_Knee",
    "Front_Left_Abduction", "Front_Left_Hip", "Front_Left_Knee",
    "Hind_Right_Abduction", "Hind_Right_Hip", "Hind_Right_Knee",
    "Hind_Left_Abduction", "Hind_Left_Hip", "Hind_Left_Knee",
]
CROUCH_LEG = (0.0, 1.2, -2.6)   # abduction, hip, knee (rad)
STAND_LEG = (0.0, 0.9, -1.8)
CONTROL_RATE_HZ = 500.0

# The leg geometry of the simulated robot's model (sim/model/quadruped.xml), metres:
# hip joints at (+-0.19, +-0.05, 0) of the trunk, the thigh 0.07 outside the abduction
# axis, thigh and calf 0.22 long, feet of radius 0.02.
HIP_X, HIP_Y, THIGH_OFFSET, THIGH, CALF, FOOT_RADIUS = 0.19, 0.05, 0.07, 0.22, 0.22, 0.02
FOOT_CONTACT_N = 5  # foot force that counts as standing on that foot


def leg_pose(leg):
    return [leg[joint % 3] for joint in range(12)]


def smoothstep(s):
    return 0.5 - 0.5 * math.cos(math.pi * min(max(s, 0.0), 1.0))


def foot_in_trunk(leg, q):
    """Foot centre of leg 0..3 in the trunk frame, from its three joint angles."""
    abduction, hip, knee = q[3 * leg:3 * leg + 3]
    front, left = leg < 2, leg % 2 == 1
    side = 1.0 if left else -1.0
    # In the thigh frame (after the hip rotation about y): thigh then calf, both along -z.
    x = -THIGH * math.sin(hip) - CALF * math.sin(hip + knee)
    z = -THIGH * math.cos(hip) - CALF * math.cos(hip + knee)
    y = side * THIGH_OFFSET
    # The abduction turns the leg about x.
    y, z = y * math.cos(abduction) - z * math.sin(abduction), y * math.sin(abduction) + z * math.cos(abduction)
    return ((HIP_X if front else -HIP_X) + x, side * HIP_Y + y, z)


def rotate(quaternion, v):
    """Rotates v by the unit quaternion (w, x, y, z)."""
    w, x, y, z = quaternion
    vx, vy, vz = v
    # v + 2w(u x v) + 2 u x (u x v), with u the quaternion's vector part.
    cx, cy, cz = y * vz - z * vy, z * vx - x * vz, x * vy - y * vx
    return (vx + 2 * (w * cx + y * cz - z * cy),
            vy + 2 * (w * cy + z * cx - x * cz),
            vz + 2 * (w * cz + x * cy - y * cx))


def trunk_height(imu, motors, low_state):
    """Height of the trunk over the floor from the feet on the ground, or None."""
    heights = [-rotate(imu.quaternion, foot_in_trunk(leg, motors.q))[2] + FOOT_RADIUS
               for leg in range(4) if low_state.foot_force[leg] > FOOT_CONTACT_N]
    return sum(heights) / len(heights) if heights else None


def wait_for_state(driver, timeout_s):
    """True once a state sample has arrived (its quaternion is never all zero)."""
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        if any(driver.get_imu_state().quaternion):
            return True
        time.sleep(0.05)
    return False


def run_phases(driver, phases, kp, kd, rows):
    """Moves the targets through (name, end pose, seconds) phases at CONTROL_RATE_HZ."""
    command = quorvel_api.MotorCommand()
    command.stiffness = [kp] * 12
    command.damping = [kd] * 12
    period = 1.0 / CONTROL_RATE_HZ
    t0 = time.monotonic()
    next_tick = t0
    start = list(driver.get_motor_state().q)
    for name, end, seconds in phases:
        phase_start = time.monotonic()
        while True:
            s = (time.monotonic() - phase_start) / seconds if seconds > 0 else 1.0
            target = [a + smoothstep(s) * (b - a) for a, b in zip(start, end)]
            command.q_setpoint = target
            driver.update_command(command)
            measured = driver.get_motor_state().q
            rows.append([round(time.monotonic() - t0, 4), name] + [round(v, 5) for v in target + list(measured)])
            if s >= 1.0:
                break
            next_tick += period
            time.sleep(max(0.0, next_tick - time.monotonic()))
        start = end


def write_csv(path, rows):
    with open(path, "w", newline="") as f:
        writer = csv.writer(f)
        writer.writerow(["time_s", "phase"] + [f"{n}_target" for n in JOINT_NAMES] + [f"{n}_q" for n in JOINT_NAMES])
        writer.writerows(rows)


def write_plot(csv_path, png_path):
    """Plots target and measured angle of every joint, one panel per leg; False without gnuplot."""
    gnuplot = shutil.which("gnuplot")
    if gnuplot is None:
        return False
    panels = []
    for leg, title in enumerate(["front right", "front left", "hind right", "hind left"]):
        plots = []
        for j, joint in enumerate(["abduction", "hip", "knee"]):
            column = 3 + 3 * leg + j  # gnuplot counts columns from 1; time is 1, phase 2
            plots.append(f"'{csv_path}' using 1:{column + 12} with lines lw 2 lc {j + 1} title '{joint}'")
            plots.append(f"'{csv_path}' using 1:{column} with lines dt 2 lc {j + 1} notitle")
        panels.append(f"set title '{title} leg (dashed: target)'\nplot " + ", ".join(plots))
    script = "\n".join([
        "set terminal pngcairo size 1200,800",
        f"set output '{png_path}'",
        "set datafile separator ','",
        "set key autotitle columnhead",
        "set xlabel 'time (s)'", "set ylabel 'angle (rad)'", "set grid",
        "set multiplot layout 2,2 title 'quadruped stand-up: joint angles'",
        *panels,
        "unset multiplot",
    ])
    subprocess.run([gnuplot], input=script, text=True, check=True)
    return True


class DriverOutput:
    """Sends the process's standard output, where the driver reports control-loop
    overruns, to a file for the duration; print() goes to the terminal meanwhile."""

    def __init__(self, path):
        self.path = path

    def __enter__(self):
        sys.stdout.flush()
        self.saved = os.dup(1)
        log = os.open(self.path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        os.dup2(log, 1)
        os.close(log)
        sys.stdout = os.fdopen(os.dup(self.saved), "w", buffering=1)
        return self

    def __exit__(self, *exc):
        sys.stdout.flush()
        sys.stdout.close()
        os.dup2(self.saved, 1)
        os.close(self.saved)
        sys.stdout = sys.__stdout__
        with open(self.path) as f:
            self.overruns = sum(1 for line in f if line.startswith("Motor Control Loop Execution Time Exceeded"))
        return False


def stand_up(args, rows):
    driver = quorvel_api.QuorvelDriver(args.interface, args.period_us)
    driver.initialize()
    if not wait_for_state(driver, args.wait_s):
        print(f"stand_up: no state from the robot on interface {args.interface} within "
              f"{args.wait_s} s (is quorvel_sim running?)", file=sys.stderr)
        return None
    driver.initialize_thread()
    try:
        run_phases(driver, [("crouch", leg_pose(CROUCH_LEG), args.crouch_s),
                            ("stand", leg_pose(STAND_LEG), args.stand_s),
                            ("hold", leg_pose(STAND_LEG), args.hold_s)], args.kp, args.kd, rows)
        return trunk_height(driver.get_imu_state(), driver.get_motor_state(), driver.get_low_state()), \
            list(driver.get_motor_state().q)
    finally:
        driver.stop_thread()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--interface", default="lo", help="network interface of the robot (default lo)")
    parser.add_argument("--period-us", type=int, default=2000,
                        help="driver control period in microseconds (default 2000: the robot's 500 Hz)")
    parser.add_argument("--output-dir", default=".", help="where stand_up.csv and stand_up.png go")
    parser.add_argument("--kp", type=float, default=60.0, help="stiffness, Nm/rad")
    parser.add_argument("--kd", type=float, default=3.0, help="damping, Nm s/rad")
    parser.add_argument("--crouch-s", type=float, default=1.0)
    parser.add_argument("--stand-s", type=float, default=2.0)
    parser.add_argument("--hold-s", type=float, default=1.5)
    parser.add_argument("--wait-s", type=float, default=10.0, help="how long to wait for the robot's state")
    args = parser.parse_args()

    os.makedirs(args.output_dir, exist_ok=True)
    csv_path = os.path.join(args.output_dir, "stand_up.csv")
    png_path = os.path.join(args.output_dir, "stand_up.png")
    rows = []
    with DriverOutput(os.path.join(args.output_dir, "driver_output.log")) as driver_output:
        result = stand_up(args, rows)
    if result is None:
        return 1
    height, q = result

    print(f"trunk height: {height:.3f} m" if height is not None else "trunk height: unknown, no foot on the ground")
    targets = leg_pose(STAND_LEG)
    errors = [t - m for t, m in zip(targets, q)]
    for name, error in zip(JOINT_NAMES, errors):
        print(f"  {name:<22} error {error:+.4f} rad")
    print(f"largest joint error: {max(abs(e) for e in errors):.4f} rad")
    if driver_output.overruns:
        print(f"driver control-loop overruns: {driver_output.overruns} (see {driver_output.path})")
    write_csv(csv_path, rows)
    print(f"joint trajectories: {csv_path}")
    if write_plot(csv_path, png_path):
        print(f"plot: {png_path}")
    else:
        print("plot: skipped, gnuplot is not installed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
