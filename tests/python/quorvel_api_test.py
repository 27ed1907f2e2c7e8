"""quorvel_api without DDS traffic: the containers, their conversions, pickling and copying,
the statuses and errors the driver raises before it reaches the network (an interface that
does not exist included), and the type stub."""

import ast
import copy
import math
import os
import pickle
import shutil
import subprocess
import sys
import tempfile
import unittest

import quorvel_api
from pybind11_abseil import status

STANDING = [0.0, 0.8999999761581421, -1.7999999523162842] * 4

# (class, attribute, length, a valid element)
ARRAYS = [
    (quorvel_api.LowState, "foot_force", 4, 7),
    (quorvel_api.IMUState, "quaternion", 4, 0.5),
    (quorvel_api.IMUState, "gyroscope", 3, 0.5),
    (quorvel_api.IMUState, "accelerometer", 3, 0.5),
    (quorvel_api.IMUState, "rpy", 3, 0.5),
    (quorvel_api.MotorState, "q", 12, 0.5),
    (quorvel_api.MotorState, "qd", 12, 0.5),
    (quorvel_api.MotorState, "qdd", 12, 0.5),
    (quorvel_api.MotorState, "torque_estimate", 12, 0.5),
    (quorvel_api.MotorCommand, "q_setpoint", 12, 0.5),
    (quorvel_api.MotorCommand, "qd_setpoint", 12, 0.5),
    (quorvel_api.MotorCommand, "torque_feedforward", 12, 0.5),
    (quorvel_api.MotorCommand, "stiffness", 12, 0.5),
    (quorvel_api.MotorCommand, "damping", 12, 0.5),
]


def motor_state(offset):
    state = quorvel_api.MotorState()
    state.q = [offset + i for i in range(12)]
    state.qd = [offset + 0.5 * i for i in range(12)]
    state.qdd = [offset - i for i in range(12)]
    state.torque_estimate = [offset * i for i in range(12)]
    return state


def arrays_of(state):
    return [state.q, state.qd, state.qdd, state.torque_estimate]


class ModuleTest(unittest.TestCase):
    def test_docstring_and_classes_in_order(self):
        self.assertEqual(quorvel_api.__doc__, "Quorvel API bindings")
        names = [name for name in vars(quorvel_api) if not name.startswith("_")]
        self.assertEqual(
            names, ["LowState", "IMUState", "MotorState", "MotorCommand", "QuorvelDriver"])

    @unittest.skipUnless(os.environ.get("OTHER_PYTHON"), "no CPython 3.11 on this machine")
    def test_other_interpreter_versions_are_refused_at_import(self):
        load = ("import importlib.machinery as m, importlib.util as u, sys\n"
                "loader = m.ExtensionFileLoader('quorvel_api', sys.argv[1])\n"
                "u.module_from_spec(u.spec_from_loader('quorvel_api', loader))\n")
        result = subprocess.run([os.environ["OTHER_PYTHON"], "-c", load, quorvel_api.__file__],
                                capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("ImportError: Python version mismatch: module was compiled for Python "
                      "3.12, but the interpreter version is incompatible: 3.11", result.stderr)

    def test_import_fails_without_pybind11_abseil_status(self):
        with tempfile.TemporaryDirectory() as folder:
            shutil.copy(quorvel_api.__file__, folder)
            result = subprocess.run([sys.executable, "-c", "import quorvel_api"],
                                    env=dict(os.environ, PYTHONPATH=folder),
                                    capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("No module named 'pybind11_abseil'", result.stderr)
        self.assertIn("ImportError: initialization failed", result.stderr)

    def test_stub_declares_what_the_module_has(self):
        stub_path = os.path.join(os.path.dirname(quorvel_api.__file__), "quorvel_api.pyi")
        with open(stub_path) as stub:
            tree = ast.parse(stub.read())
        for node in tree.body:
            if not isinstance(node, ast.ClassDef) or node.name == "FixedSize":
                continue
            cls = getattr(quorvel_api, node.name)
            for member in node.body:
                name = member.target.id if isinstance(member, ast.AnnAssign) else member.name
                self.assertTrue(hasattr(cls, name), f"{node.name}.{name}")


class ContainerTest(unittest.TestCase):
    def test_defaults(self):
        command = quorvel_api.MotorCommand()
        self.assertEqual(command.q_setpoint, STANDING)
        for name in ("qd_setpoint", "torque_feedforward", "stiffness", "damping"):
            self.assertEqual(getattr(command, name), [0.0] * 12, name)
        for cls, name, length, _ in ARRAYS:
            if cls is not quorvel_api.MotorCommand:
                self.assertEqual(getattr(cls(), name), [0] * length, name)

    def test_reading_gives_a_copy_and_only_assignment_changes(self):
        for cls, name, length, value in ARRAYS:
            with self.subTest(cls=cls.__name__, attribute=name):
                obj = cls()
                before = getattr(obj, name)
                getattr(obj, name)[0] = value
                self.assertEqual(getattr(obj, name), before)
                setattr(obj, name, [value] * length)
                self.assertEqual(getattr(obj, name), [value] * length)

    def test_floats_are_narrowed_to_32_bits(self):
        command = quorvel_api.MotorCommand()
        command.stiffness = [0.1] * 12
        self.assertEqual(command.stiffness[0], 0.10000000149011612)

    def test_wrong_length_or_type_raises_type_error(self):
        for cls, name, length, value in ARRAYS:
            for bad in ([value] * (length - 1), [value] * (length + 1), ["x"] * length,
                        "x" * length, None, value):
                with self.subTest(cls=cls.__name__, attribute=name, value=bad):
                    obj = cls()
                    with self.assertRaises(TypeError):
                        setattr(obj, name, bad)
        with self.assertRaises(TypeError):
            quorvel_api.LowState().foot_force = [40000, 0, 0, 0]

    def test_signatures_announce_fixed_size_lists(self):
        for cls, name, length, _ in ARRAYS:
            element = "int" if name == "foot_force" else "float"
            annotation = f"Annotated[list[{element}], FixedSize({length})]"
            prop = getattr(cls, name)
            self.assertIn(f") -> {annotation}", prop.fget.__doc__)
            self.assertIn(f", arg0: {annotation}) -> None", prop.fset.__doc__)

    def test_reprs_name_class_and_values(self):
        self.assertEqual(repr(quorvel_api.LowState()), "LowState(foot_force=[0, 0, 0, 0])")
        self.assertTrue(repr(quorvel_api.IMUState()).startswith("IMUState(quaternion=[0.0, "))
        self.assertIn("torque_estimate=[0.0, ", repr(quorvel_api.MotorState()))
        self.assertIn(f"q_setpoint={STANDING!r}", repr(quorvel_api.MotorCommand()))


class MotorStatePicklingTest(unittest.TestCase):
    def test_pickle_and_copies_are_independent_and_equal(self):
        original = motor_state(1.5)
        for make in (lambda s: pickle.loads(pickle.dumps(s)), copy.copy, copy.deepcopy,
                     lambda s: s.__deepcopy__(memo={})):
            duplicate = make(original)
            self.assertIsInstance(duplicate, quorvel_api.MotorState)
            self.assertEqual(arrays_of(duplicate), arrays_of(original))
            duplicate.q = [0.0] * 12
            self.assertEqual(original.q, motor_state(1.5).q)

    def test_getstate_is_a_tuple_of_four_lists(self):
        self.assertEqual(motor_state(2.0).__getstate__(), tuple(arrays_of(motor_state(2.0))))

    def test_setstate_refuses_wrong_tuples(self):
        good = [0.0] * 12
        cases = [((good,) * 3, "Invalid state tuple"), ((good,) * 5, "Invalid state tuple"),
                 ((good, good, good, "x" * 12), "Unable to cast Python instance of type "),
                 ((good, good, good, [0.0] * 11), "Unable to cast Python instance of type ")]
        for state, message in cases:
            with self.subTest(state=state):
                fresh = quorvel_api.MotorState.__new__(quorvel_api.MotorState)
                with self.assertRaises(RuntimeError) as caught:
                    fresh.__setstate__(state)
                self.assertTrue(str(caught.exception).startswith(message), caught.exception)

    def test_other_classes_define_no_pickling(self):
        for cls in (quorvel_api.LowState, quorvel_api.IMUState, quorvel_api.MotorCommand):
            self.assertNotIn("__setstate__", vars(cls), cls.__name__)
            with self.assertRaises(TypeError):
                pickle.dumps(cls())


class DriverWithoutNetworkTest(unittest.TestCase):
    def test_construction(self):
        self.assertIn("(self: quorvel_api.QuorvelDriver, network_interface: str, "
                      "control_period_us: int) -> None", quorvel_api.QuorvelDriver.__init__.__doc__)
        quorvel_api.QuorvelDriver("lo", 2**32 - 1)
        quorvel_api.QuorvelDriver("", 0)
        for period in (-1, 2**32):
            with self.assertRaises(ValueError):
                quorvel_api.QuorvelDriver("lo", period)
        with self.assertRaises(TypeError):
            quorvel_api.QuorvelDriver("lo")

    def test_thread_calls_before_initialize_raise_failed_precondition(self):
        driver = quorvel_api.QuorvelDriver("lo", 1000)
        for call, message in ((driver.initialize_thread, "Motor Controller not initialized"),
                              (driver.stop_thread,
                               "Motor Controller or Control Thread not initialized")):
            with self.assertRaises(status.StatusNotOk) as caught:
                call()
            error = caught.exception
            self.assertEqual(error.code, 9)
            self.assertEqual(error.code, status.StatusCode.FAILED_PRECONDITION)
            self.assertEqual(error.message, message)
            self.assertEqual(error.status.message(), message)
            self.assertFalse(error.status.ok())

    def test_failed_initialize_raises_and_leaves_the_driver_uninitialized(self):
        driver = quorvel_api.QuorvelDriver("qv_no_such_if", 1000)
        with self.assertRaisesRegex(RuntimeError, "Catch dds::core exception"):
            driver.initialize()
        with self.assertRaisesRegex(status.StatusNotOk, "Motor Controller not initialized"):
            driver.initialize_thread()

    def test_update_command_refuses_nan_and_wrong_types(self):
        driver = quorvel_api.QuorvelDriver("lo", 1000)
        command = quorvel_api.MotorCommand()
        command.damping = [1.0] * 11 + [math.nan]
        with self.assertRaisesRegex(ValueError, r"damping\[11\] \(Hind_Left_Knee\) is NaN"):
            driver.update_command(command)
        command.damping = [math.inf] * 12
        driver.update_command(command)
        for bad in (quorvel_api.MotorState(), None, [0.0] * 12):
            with self.assertRaises(TypeError):
                driver.update_command(bad)

    def test_getters_return_new_zero_containers(self):
        driver = quorvel_api.QuorvelDriver("lo", 1000)
        first, second = driver.get_motor_state(), driver.get_motor_state()
        self.assertIsNot(first, second)
        self.assertEqual(arrays_of(first), [[0.0] * 12] * 4)
        self.assertEqual(driver.get_imu_state().quaternion, [0.0] * 4)
        self.assertEqual(driver.get_low_state().foot_force, [0] * 4)


if __name__ == "__main__":
    unittest.main()
