"""quorvel_api's driver on the loopback interface, against robot_peer (the ROBOT_PEER
environment variable names it) playing the robot: statuses through the lifecycle, the
command the peer checks, and the peer's state coming back through the getters."""

import os
import subprocess
import time
import unittest

import quorvel_api
from pybind11_abseil import status

PERIOD_US = 2000
SAMPLES = 150


def test_command():
    command = quorvel_api.MotorCommand()
    command.qd_setpoint = [0.5 * i - 3.0 for i in range(12)]
    command.torque_feedforward = [i - 6.0 for i in range(12)]
    command.stiffness = [20.0 + i for i in range(12)]
    command.damping = [0.25 * i for i in range(12)]
    return command


def peer_arguments(command):
    values = []
    for joint in range(12):
        for name in ("q_setpoint", "qd_setpoint", "torque_feedforward", "stiffness", "damping"):
            values.append(repr(getattr(command, name)[joint]))
    return values


def peer_motor_state():
    """What robot_peer publishes (robot_peer_state.hpp)."""
    return ([0.25 * i + 1.0 for i in range(12)], [-1.0 * i for i in range(12)],
            [0.5 * i for i in range(12)], [2.0 * i - 3.0 for i in range(12)])


def state_arrived(driver):
    motors = driver.get_motor_state()
    return ((motors.q, motors.qd, motors.qdd, motors.torque_estimate) == peer_motor_state()
            and driver.get_imu_state().rpy == [7.0, 8.0, 9.0]
            and driver.get_low_state().foot_force == [10, -20, 30, -40])


class DriverLifecycleTest(unittest.TestCase):
    def test_lifecycle_against_the_peer(self):
        command = test_command()
        peer = subprocess.Popen(
            [os.environ["ROBOT_PEER"], str(SAMPLES), str(PERIOD_US)] + peer_arguments(command),
            stdout=subprocess.PIPE, text=True)
        try:
            driver = quorvel_api.QuorvelDriver("lo", PERIOD_US)
            self.assertIsNone(driver.initialize())
            with self.assertRaises(status.StatusNotOk) as caught:
                driver.stop_thread()
            self.assertEqual(caught.exception.code, 9)
            self.assertEqual(caught.exception.message,
                             "Motor Controller or Control Thread not initialized")

            driver.update_command(command)
            self.assertIsNone(driver.initialize_thread())
            with self.assertRaises(status.StatusNotOk) as caught:
                driver.initialize_thread()
            self.assertEqual(caught.exception.message, "Control Thread already running")

            report = peer.stdout.readline()
            give_up = time.monotonic() + 20
            while not state_arrived(driver) and time.monotonic() < give_up:
                time.sleep(0.005)
            self.assertTrue(state_arrived(driver), "the peer's state never reached the getters")
            self.assertIsNone(driver.stop_thread())
            self.assertIsNone(driver.stop_thread())

            output, _ = peer.communicate(timeout=60)
            self.assertEqual(peer.returncode, 0, report + output)
            median = int(report.split("median_period_us=")[1].split()[0])
            self.assertTrue(PERIOD_US / 2 <= median <= PERIOD_US * 2, report)
            self.assertEqual(command.stiffness, test_command().stiffness, "command changed")
        finally:
            if peer.poll() is None:
                peer.kill()
                peer.communicate()


if __name__ == "__main__":
    unittest.main()
